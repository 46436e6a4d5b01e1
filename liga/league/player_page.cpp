// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_page.h"
#include "board_table.h"
#include "feed.h"
#include "html.h"
#include "local_time.h"
#include "page_data.h"
#include "stufen.h"
#include "svg_chart.h"
#include "time_text.h"

#include <algorithm>
#include <map>

namespace liga {

namespace {

// What the page reads of a name.
struct Player {
    // By level and period.
    std::map<std::pair<int32_t, Period>, Standing> standings;
    std::vector<EntryRow> entries;   // this page's, newest first
    std::optional<EntryCursor> more; // where the next page begins, when there is one
    std::vector<EntryRow> history;   // the entries that made a best faster, oldest first
    std::vector<SumStanding> sums;   // in the order of allPeriods
};

const Standing* standingOf(const Player& p, int32_t level, Period period) {
    const auto it = p.standings.find({level, period});
    return it == p.standings.end() ? nullptr : &it->second;
}

// Names shown above and below the player's best in the page's period.
constexpr int neighbours = 5;

// The personal bests of one level, in the order they were set.
std::vector<ChartStep> bestsOf(const std::vector<EntryRow>& history, int32_t level) {
    std::vector<ChartStep> steps;
    for (const EntryRow& e : history)
        if (e.level == level && (steps.empty() || e.tenths < steps.back().tenths))
            steps.push_back({e.receivedAt, e.tenths});
    return steps;
}

Route entriesFrom(const Route& at, const std::optional<EntryCursor>& before) {
    Route r = at;
    r.before = before;
    return r;
}

// "Platz 12 von 3.481", which a narrow column breaks only before "von".
std::string placeText(int64_t place, int64_t ranked) {
    return "Platz\xC2\xA0" + countText(place) + " von\xC2\xA0" + countText(ranked);
}

// Rows as a JSON list on one line.
std::string jsonRows(const Route& at, const std::vector<BoardRow>& rows) {
    std::string out(1, '[');
    for (const BoardRow& r : rows) {
        if (out.size() > 1) out += ", ";
        out += jsonRow(at, r);
    }
    return out + "]";
}

std::string json(const Route& at, const Player& p) {
    std::string out = "{\"name\": " + jsonString(at.name) + ", \"levels\": [";
    const char* levelComma = "\n  ";
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level) {
        out += levelComma;
        levelComma = ",\n  ";
        out += "{\"level\": " + std::to_string(level) +
               ", \"name\": " + jsonString(festeStufe(level).name) + ", \"periods\": [";
        const char* comma = "";
        for (const Period period : allPeriods) {
            const Standing* s = standingOf(p, level, period);
            out += comma;
            comma = ", ";
            out += '{';
            out += jsonPeriod(s ? s->period : PeriodStart{period, 0});
            if (s && s->best) {
                out += ", \"best\": " + jsonRow(at, *s->best) +
                       ", \"ranked\": " + std::to_string(s->ranked);
                // The names around it as the page shows them: in its own period only.
                if (period == at.period)
                    out += ", \"above\": " + jsonRows(at, s->above) +
                           ", \"below\": " + jsonRows(at, s->below);
            } else {
                out += ", \"best\": null";
            }
            out += "}";
        }
        out += "], \"bests\": [";
        const char* c = "";
        for (const ChartStep& s : bestsOf(p.history, level)) {
            out += c;
            c = ", ";
            out += "{\"tenths\": " + std::to_string(s.tenths) +
                   ", \"time\": " + jsonString(timeText(s.tenths)) +
                   ", \"at\": " + std::to_string(s.at) + "}";
        }
        out += "]}";
    }
    out += "],\n \"sum\": [";
    const char* sumComma = "";
    for (const SumStanding& s : p.sums) {
        out += sumComma;
        sumComma = ", ";
        out += '{';
        out += jsonPeriod(s.period);
        if (s.row)
            out += ", \"ranked\": " + std::to_string(s.ranked) +
                   ", \"place\": " + std::to_string(s.row->place) +
                   ", \"tenths\": " + std::to_string(s.row->total);
        else
            out += ", \"place\": null, \"tenths\": null";
        out += '}';
    }
    out += "],\n \"entries\": [";
    const char* comma = "\n  ";
    for (const EntryRow& e : p.entries) {
        out += comma;
        comma = ",\n  ";
        out += "{\"level\": " + std::to_string(e.level) +
               ", \"tenths\": " + std::to_string(e.tenths) +
               ", \"time\": " + jsonString(timeText(e.tenths)) +
               ", \"at\": " + std::to_string(e.receivedAt) +
               ", \"date\": " + jsonString(dateText(e.receivedAt)) + "}";
    }
    out += "],\n ";
    std::optional<Route> first;
    if (at.before) first = entriesFrom(at, std::nullopt);
    std::optional<Route> next;
    if (p.more) next = entriesFrom(at, p.more);
    return out + jsonLinks(at, first, next) + "}\n";
}

// One level: the best of each period with its place, the names around the best of the
// chosen period, and the staircase of the bests.
std::string levelSection(const Route& at, const Player& p, int32_t level, int64_t now) {
    const TStufe& s = festeStufe(level);
    const std::vector<ChartStep> steps = bestsOf(p.history, level);
    std::string html = "<h2>" + htmlEscape(s.name) + "</h2>\n";
    html += "<table class=\"stand\">\n<thead><tr><th class=\"zeitraum\">Zeitraum</th>"
            "<th class=\"zeit\">Bestzeit</th><th>Platz</th><th class=\"datum\">Datum</th>"
            "</tr></thead>\n<tbody>\n";
    for (const Period period : allPeriods) {
        const Standing* st = standingOf(p, level, period);
        const Route board = boardRoute(level, period);
        html += std::string(period == at.period ? "<tr class=\"selbst\">" : "<tr>") +
                "<td><a href=\"" + hrefTo(at, board) + "\">" + periodTitle(period) + "</a></td>";
        if (!st || !st->best) {
            html += "<td class=\"zeit\">–</td><td class=\"leer\">keine Zeit</td>"
                    "<td class=\"datum\"></td></tr>\n";
            continue;
        }
        const std::string date = dateText(st->best->receivedAt);
        html += "<td class=\"zeit\">" + htmlEscape(timeText(st->best->tenths)) +
                "<span class=\"datum-schmal\" aria-hidden=\"true\">" + date + "</span></td><td>" +
                placeText(st->best->place, st->ranked) + "</td><td class=\"datum\">" + date +
                "</td></tr>\n";
    }
    html += "</tbody>\n</table>\n";
    const Standing* chosen = standingOf(p, level, at.period);
    if (chosen && chosen->best) {
        std::vector<BoardRow> around = chosen->above;
        around.push_back(*chosen->best);
        around.insert(around.end(), chosen->below.begin(), chosen->below.end());
        html += "<h3>Die Namen davor und danach (" + std::string(periodTitle(at.period)) +
                ")</h3>\n" + boardTable(at, around, at.name);
        const Route spread = distributionRoute(level, chosen->best->tenths, at.period);
        html += "<p><a href=\"" + hrefTo(at, spread) +
                "\">Wo diese Zeit unter allen Bestzeiten steht</a></p>\n";
    }
    if (steps.empty()) return html;
    const std::string id = "verlauf" + std::to_string(level);
    html += "<h3>Bestzeiten im Lauf der Zeit</h3>\n<figure>\n" +
            staircaseChart(steps, now, id,
                           "Bestzeiten von " + at.name + " auf der Spielstufe " + s.name +
                               " im Lauf der Zeit, als Treppe") +
            "<figcaption>" + countText(static_cast<int64_t>(steps.size())) +
            (steps.size() == 1 ? " Bestzeit" : " Bestzeiten") + ", von " +
            htmlEscape(timeText(steps.front().tenths)) + " am " + dateText(steps.front().at) +
            " bis " + htmlEscape(timeText(steps.back().tenths)) + " am " +
            dateText(steps.back().at) + ".</figcaption>\n</figure>\n";
    html +=
        "<details><summary>Die Bestzeiten als Liste</summary>\n<table>\n<thead><tr>"
        "<th class=\"datum\">Datum</th><th class=\"zeit\">Bestzeit</th></tr></thead>\n<tbody>\n";
    for (const ChartStep& step : steps)
        html += "<tr><td>" + dateText(step.at) + "</td><td class=\"zeit\">" +
                htmlEscape(timeText(step.tenths)) + "</td></tr>\n";
    return html + "</tbody>\n</table>\n</details>\n";
}

// The combined ranking, when the name has a best on each of its levels in some period.
std::string sumSection(const Route& at, const Player& p) {
    std::string rows;
    for (const SumStanding& s : p.sums) {
        if (!s.row) continue;
        Route sum = pageRoute(Page::sum);
        sum.period = s.period.period;
        rows += "<tr><td><a href=\"" + hrefTo(at, sum) + "\">" + periodTitle(s.period.period) +
                "</a></td><td class=\"zeit\">" + htmlEscape(timeText(s.row->total)) + "</td><td>" +
                placeText(s.row->place, s.ranked) + "</td></tr>\n";
    }
    if (rows.empty()) return {};
    return "<h2>Summe</h2>\n<p class=\"hinweis\">Die drei Bestzeiten auf Anfänger, "
           "Fortgeschrittene und Profis zusammen.</p>\n<table>\n<thead><tr><th "
           "class=\"zeitraum\">Zeitraum</th><th class=\"zeit\">Summe</th><th>Platz</th></tr>"
           "</thead>\n<tbody>\n" +
           rows + "</tbody>\n</table>\n";
}

std::string entriesSection(const Route& at, const Player& p) {
    std::string html = "<h2 id=\"zeiten\">Alle angenommenen Zeiten</h2>\n";
    if (p.entries.empty()) return html + "<p class=\"leer\">Keine weiteren Zeiten.</p>\n";
    html += "<table>\n<thead><tr><th class=\"wann\">Eingegangen</th><th>Spielstufe</th>"
            "<th class=\"zeit\">Zeit</th></tr></thead>\n<tbody>\n";
    for (const EntryRow& e : p.entries)
        html += "<tr><td>" + localTimeText(e.receivedAt, "%d.%m.%Y, %H:%M") + "</td><td>" +
                htmlEscape(festeStufe(e.level).name) + "</td><td class=\"zeit\">" +
                htmlEscape(timeText(e.tenths)) + "</td></tr>\n";
    html += "</tbody>\n</table>\n";
    if (!at.before && !p.more) return html;
    html += "<nav class=\"blaettern\" aria-label=\"Seiten der Zeiten\">\n<ul>";
    if (at.before)
        html += "<li><a href=\"" + hrefTo(at, entriesFrom(at, std::nullopt)) +
                "#zeiten\">« zurück zu den neuesten</a></li>";
    if (p.more)
        html += "<li><a rel=\"next\" href=\"" + hrefTo(at, entriesFrom(at, p.more)) +
                "#zeiten\">weiter, ältere »</a></li>";
    return html + "</ul>\n</nav>\n";
}

} // namespace

Rendered playerPage(const Route& at, const PageContext& c) {
    Player p;
    const std::vector<PeriodStart> periods(c.periods.begin(), c.periods.end());
    PlayerReads read = c.views.player(at.name, periods, at.period, neighbours, at.before,
                                      entriesPerPage + 1, c.until);
    for (Standing& s : read.standings) p.standings[{s.level, s.period.period}] = std::move(s);
    p.sums = std::move(read.sums);
    p.entries = std::move(read.entries);
    if (static_cast<int64_t>(p.entries.size()) > entriesPerPage) {
        p.entries.resize(static_cast<std::size_t>(entriesPerPage));
        p.more = EntryCursor{p.entries.back().receivedAt, p.entries.back().code};
    }
    p.history = std::move(read.history);
    if (p.history.empty())
        return notFound(at, "Unter dem Namen „" + at.name + "“ steht keine Zeit in der Liga.");
    if (at.json) return {200, json(at, p)};

    std::string title = at.name;
    if (at.period != Period::all) title += std::string(", ") + periodTitle(at.period);
    std::string html = frameTop(at, title) + "<h1>" + htmlEscape(at.name) + "</h1>\n";
    const int64_t since = p.history.front().receivedAt;
    html += "<p class=\"brett\">In der Liga seit " + dateText(since) + "</p>\n";
    html += "<p>Die Namen davor und danach zeigt die Seite für den gewählten Zeitraum:</p>\n" +
            periodTabs(at) + periodNote(c.periodOf(at.period), c.now);
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level) {
        const Standing* all = standingOf(p, level, Period::all);
        if (all && all->best) html += levelSection(at, p, level, c.now);
    }
    html += sumSection(at, p) + entriesSection(at, p);
    return {200, html + frameBottom(at)};
}

} // namespace liga
