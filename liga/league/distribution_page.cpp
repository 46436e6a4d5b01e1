// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "distribution_page.h"
#include "feed.h"
#include "html.h"
#include "page_data.h"
#include "stufen.h"
#include "time_text.h"

#include <algorithm>
#include <limits>

namespace liga {

namespace {

constexpr int32_t open = std::numeric_limits<int32_t>::max();

// The time below which at least `share` of the names hold their best.
int32_t quantile(const std::vector<TimeCount>& sorted, int64_t total, double share) {
    int64_t seen = 0;
    for (const TimeCount& c : sorted) {
        seen += c.names;
        if (static_cast<double>(seen) >= share * static_cast<double>(total)) return c.tenths;
    }
    return sorted.back().tenths;
}

int64_t totalOf(const std::vector<TimeCount>& counts) {
    int64_t total = 0;
    for (const TimeCount& c : counts) total += c.names;
    return total;
}

} // namespace

std::vector<ChartBar> distributionBars(std::vector<TimeCount> counts) {
    std::erase_if(counts, [](const TimeCount& c) { return c.names <= 0; });
    if (counts.empty()) return {};
    std::sort(counts.begin(), counts.end(),
              [](const TimeCount& a, const TimeCount& b) { return a.tenths < b.tenths; });
    const int64_t total = totalOf(counts);
    const int32_t fastest = counts.front().tenths;
    const int32_t cap = quantile(counts, total, 0.98);
    int64_t width = 1;
    for (int64_t power = 1;; power *= 10) {
        const int64_t span = static_cast<int64_t>(cap) - fastest + 1;
        if (span <= 40 * power) {
            width = power;
            break;
        }
        if (span <= 80 * power) {
            width = 2 * power;
            break;
        }
        if (span <= 200 * power) {
            width = 5 * power;
            break;
        }
    }
    std::vector<ChartBar> bars;
    for (int64_t from = fastest / width * width; from <= cap; from += width)
        bars.push_back({static_cast<int32_t>(from), static_cast<int32_t>(from + width), 0});
    bars.back().to = open;
    std::size_t at = 0;
    for (const TimeCount& c : counts) {
        while (c.tenths >= bars[at].to) ++at;
        bars[at].names += c.names;
    }
    return bars;
}

Rendered distributionPage(const Route& at, const PageContext& c) {
    std::vector<TimeCount> counts = c.views.distribution(at.level, c.periodOf(at.period), c.until);
    std::erase_if(counts, [](const TimeCount& t) { return t.names <= 0; });
    std::sort(counts.begin(), counts.end(),
              [](const TimeCount& a, const TimeCount& b) { return a.tenths < b.tenths; });
    const std::vector<ChartBar> bars = distributionBars(counts);
    const int64_t total = totalOf(counts);
    int64_t faster = 0;
    if (at.mark)
        for (const TimeCount& t : counts)
            if (t.tenths < *at.mark) faster += t.names;
    const TStufe& level = festeStufe(at.level);
    if (at.json) {
        std::string json =
            "{\"level\": " + std::to_string(at.level) + ", \"name\": " + jsonString(level.name) +
            ", " + jsonPeriod(c.periodOf(at.period)) + ", \"names\": " + std::to_string(total);
        if (!counts.empty())
            json += ", \"fastest\": " + std::to_string(counts.front().tenths) +
                    ", \"median\": " + std::to_string(quantile(counts, total, 0.5));
        if (at.mark)
            json += ", \"mark\": " + std::to_string(*at.mark) +
                    ", \"faster\": " + std::to_string(faster);
        json += ", \"bars\": [";
        const char* comma = "\n  ";
        for (const ChartBar& b : bars) {
            json += comma;
            comma = ",\n  ";
            json += "{\"from\": " + std::to_string(b.from) +
                    ", \"to\": " + (b.to == open ? std::string("null") : std::to_string(b.to)) +
                    ", \"names\": " + std::to_string(b.names) + "}";
        }
        return {200, json + "],\n " + jsonLinks(at, std::nullopt, std::nullopt) + "}\n"};
    }
    std::string title = std::string("Verteilung, ") + level.name;
    if (at.period != Period::all) title += std::string(", ") + periodTitle(at.period);
    std::string html = frameTop(at, title) + "<h1>" + htmlEscape(level.name) +
                       ": Verteilung der Bestzeiten</h1>\n";
    const Route board = boardRoute(at.level, at.period);
    html += "<p class=\"brett\">Wie viele Namen ihre Bestzeit in welchem Bereich haben. Die "
            "Liste dazu: <a href=\"" +
            hrefTo(at, board) + "\">" + htmlEscape(level.name) + ", " + periodTitle(at.period) +
            "</a></p>\n" + periodTabs(at) + periodNote(c.periodOf(at.period), c.now);
    if (counts.empty())
        return {200, html + "<p class=\"leer\">Noch keine Zeiten.</p>\n" + frameBottom(at)};
    std::string summary =
        countText(total) + (total == 1 ? " Name hat" : " Namen haben") +
        " eine Bestzeit. Die schnellste ist " + timeText(counts.front().tenths) +
        "; die Hälfte ist schneller als " + timeText(quantile(counts, total, 0.5)) +
        ", neun von zehn sind schneller als " + timeText(quantile(counts, total, 0.9)) + ".";
    if (at.mark) {
        const int64_t percent = total ? (total - faster) * 100 / total : 0;
        html += "<p><strong>Ihre Zeit, " + htmlEscape(timeText(*at.mark)) + ":</strong> " +
                countText(faster) + (faster == 1 ? " Name ist" : " Namen sind") + " schneller; " +
                std::to_string(percent) +
                " von 100 Bestzeiten sind gleich schnell oder langsamer.</p>\n";
    }
    html += "<figure>\n" +
            histogramChart(bars, at.mark, "verteilung",
                           std::string("Verteilung der Bestzeiten auf der Spielstufe ") +
                               level.name + ". " + summary) +
            "<figcaption>" + htmlEscape(summary) +
            " Jeder Balken zählt die Namen mit einer Bestzeit in seinem Bereich; der letzte "
            "auch alle langsameren.</figcaption>\n</figure>\n";
    html += "<details><summary>Die Balken als Tabelle</summary>\n<table>\n<thead><tr><th>Zeit"
            "</th><th class=\"zeit\">Namen</th></tr></thead>\n<tbody>\n";
    for (const ChartBar& b : bars)
        html += "<tr><td>" +
                (b.to == open
                     ? "ab " + htmlEscape(timeText(b.from))
                     : htmlEscape(timeText(b.from)) + " bis unter " + htmlEscape(timeText(b.to))) +
                "</td><td class=\"zeit\">" + countText(b.names) + "</td></tr>\n";
    return {200, html + "</tbody>\n</table>\n</details>\n" + frameBottom(at)};
}

} // namespace liga
