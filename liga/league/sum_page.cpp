// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sum_page.h"
#include "feed.h"
#include "html.h"
#include "local_time.h"
#include "page_data.h"
#include "stufen.h"
#include "time_text.h"

namespace liga {

namespace {

constexpr int32_t summedLevels = 3; // Anfänger, Fortgeschrittene, Profis

std::string json(const Route& at, const PeriodStart& period, const SumPage& read, int64_t pages) {
    std::string out(1, '{');
    out += jsonPeriod(period) + ", \"page\": " + std::to_string(at.pageNumber) +
           ", \"pages\": " + std::to_string(pages) +
           ", \"ranked\": " + std::to_string(read.ranked) + ", \"rows\": [";
    const char* comma = "\n  ";
    for (const SumRow& r : read.rows) {
        const Route player = playerRoute(r.name, true);
        out += comma;
        comma = ",\n  ";
        out += "{\"place\": " + std::to_string(r.place) + ", \"name\": " + jsonString(r.name) +
               ", \"tenths\": " + std::to_string(r.total) +
               ", \"time\": " + jsonString(timeText(r.total)) + ", \"levels\": [";
        for (int32_t i = 0; i < summedLevels; ++i)
            out += std::string(i ? ", " : "") + "{\"level\": " + std::to_string(i + 1) +
                   ", \"tenths\": " + std::to_string(r.tenths[static_cast<std::size_t>(i)]) +
                   ", \"time\": " + jsonString(timeText(r.tenths[static_cast<std::size_t>(i)])) +
                   "}";
        out += "], \"date\": " + jsonString(dateText(r.receivedAt)) +
               ", \"player\": " + jsonHref(at, player) + "}";
    }
    return out + "],\n " +
           jsonLinks(at, pageNumbered(at, at.pageNumber - 1, pages),
                     pageNumbered(at, at.pageNumber + 1, pages)) +
           "}\n";
}

// Three columns for the levels on a wide screen; on a narrow one a line under the name.
std::string table(const Route& at, const SumPage& read) {
    std::string html = "<table class=\"summe\">\n<thead><tr><th class=\"platz\">Platz</th>"
                       "<th>Name</th><th class=\"zeit\">Summe</th>";
    for (int32_t level = 1; level <= summedLevels; ++level)
        html += "<th class=\"zeit stufe\">" + htmlEscape(festeStufe(level).name) + "</th>";
    html += "</tr></thead>\n<tbody>\n";
    for (const SumRow& r : read.rows) {
        std::string narrow;
        std::string wide;
        for (int32_t level = 1; level <= summedLevels; ++level) {
            const std::string time =
                htmlEscape(timeText(r.tenths[static_cast<std::size_t>(level - 1)]));
            narrow += std::string(level > 1 ? " + " : "") +
                      htmlEscape(shortTimeText(r.tenths[static_cast<std::size_t>(level - 1)]));
            wide += "<td class=\"zeit stufe\">" + time + "</td>";
        }
        html += "<tr><td class=\"platz\">" + countText(r.place) + ".</td><td class=\"name\">" +
                playerLink(at, r.name) + "<span class=\"stufen-schmal\">" + narrow +
                "</span></td><td class=\"zeit\">" + htmlEscape(timeText(r.total)) + "</td>" + wide +
                "</tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

} // namespace

Rendered sumPage(const Route& at, const PageContext& c) {
    const PeriodStart& period = c.periodOf(at.period);
    const SumPage read =
        c.views.sumPage(period, {(at.pageNumber - 1) * rowsPerPage, rowsPerPage}, c.until);
    const int64_t pages = pageCount(read.ranked);
    if (at.pageNumber > pages) return beyondLastPage(at, pages);
    if (at.json) return {200, json(at, period, read, pages)};
    std::string title = std::string("Summe, ") + periodTitle(at.period);
    if (at.pageNumber > 1) title += ", Seite " + std::to_string(at.pageNumber);
    std::string html = frameTop(at, title) + "<h1>Summe</h1>\n";
    html += "<p>Wer auf allen drei klassischen Spielstufen, Anfänger, Fortgeschrittene und "
            "Profis, eine Zeit hat, steht hier mit der Summe seiner drei Bestzeiten. Bei "
            "gleicher Summe entscheidet die Zeit bei den Profis, dann die bei den "
            "Fortgeschrittenen.</p>\n<p class=\"brett\">" +
            countText(read.ranked) + (read.ranked == 1 ? " Name" : " Namen") + "</p>\n";
    html += periodTabs(at) + periodNote(period, c.now) + pager(at, pages, "oben");
    html += read.rows.empty() ? "<p class=\"leer\">Noch niemand hat Zeiten auf allen drei "
                                "Spielstufen.</p>\n"
                              : table(at, read);
    html += pager(at, pages, "unten");
    return {200, html + frameBottom(at)};
}

} // namespace liga
