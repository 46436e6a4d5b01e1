// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board_page.h"
#include "board_table.h"
#include "feed.h"
#include "html.h"
#include "page_data.h"
#include "stufen.h"
#include "time_text.h"

namespace liga {

namespace {} // namespace

Rendered boardPage(const Route& at, const PageContext& c) {
    const PeriodStart& period = c.periodOf(at.period);
    const BoardPage read = c.views.boardPage(
        at.level, period, {(at.pageNumber - 1) * rowsPerPage, rowsPerPage}, c.until);
    const int64_t pages = pageCount(read.ranked);
    if (at.pageNumber > pages) return beyondLastPage(at, pages);
    const TStufe& level = festeStufe(at.level);
    if (at.json) {
        std::string json = "{\"level\": " + std::to_string(at.level) +
                           ", \"name\": " + jsonString(level.name) + ", " + jsonPeriod(period) +
                           ", \"page\": " + std::to_string(at.pageNumber) +
                           ", \"pages\": " + std::to_string(pages) +
                           ", \"ranked\": " + std::to_string(read.ranked) + ", \"rows\": [";
        const char* comma = "\n  ";
        for (const BoardRow& r : read.rows) {
            json += comma + jsonRow(at, r);
            comma = ",\n  ";
        }
        return {200, json + "],\n " +
                         jsonLinks(at, pageNumbered(at, at.pageNumber - 1, pages),
                                   pageNumbered(at, at.pageNumber + 1, pages)) +
                         "}\n"};
    }
    std::string title = std::string(level.name) + ", " + periodTitle(at.period);
    if (at.pageNumber > 1) title += ", Seite " + std::to_string(at.pageNumber);
    std::string html = frameTop(at, title) + "<h1>" + htmlEscape(level.name) + "</h1>\n";
    html += "<p class=\"brett\">" + std::to_string(level.breite) + " × " +
            std::to_string(level.hoehe) + " Felder, " + std::to_string(level.minen) + " Minen · " +
            countText(read.ranked) + (read.ranked == 1 ? " Name" : " Namen") + "</p>\n";
    html += periodTabs(at) + periodNote(period, c.now) + pager(at, pages, "oben");
    html += read.rows.empty() ? "<p class=\"leer\">Noch keine Zeiten.</p>\n"
                              : boardTable(at, read.rows);
    html += pager(at, pages, "unten");
    const Route spread = distributionRoute(at.level, std::nullopt, at.period);
    html += "<p>Wie sich die Zeiten verteilen: <a href=\"" + hrefTo(at, spread) +
            "\">Verteilung der Zeiten</a></p>\n";
    return {200, html + frameBottom(at)};
}

} // namespace liga
