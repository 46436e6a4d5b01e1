// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "records_page.h"
#include "atom_feed.h"
#include "feed.h"
#include "html.h"
#include "local_time.h"
#include "page_data.h"
#include "stufen.h"
#include "time_text.h"

namespace liga {

Rendered recordsPage(const Route& at, const PageContext& c) {
    const std::vector<RecordRow> records = c.views.records(0, recordsShown, c.until);
    if (at.atom) return {200, atomFeed(records)};
    if (at.json) {
        std::string json = "{\"records\": [";
        const char* comma = "\n  ";
        for (const RecordRow& r : records) {
            const Route player = playerRoute(r.name, true);
            json += comma;
            comma = ",\n  ";
            json +=
                "{\"id\": " + jsonString(recordId(r)) + ", \"level\": " + std::to_string(r.level) +
                ", \"name\": " + jsonString(r.name) + ", \"tenths\": " + std::to_string(r.tenths) +
                ", \"time\": " + jsonString(timeText(r.tenths)) + ", \"previous\": " +
                (r.previousTenths ? std::to_string(*r.previousTenths) : "null") +
                ", \"at\": " + std::to_string(r.receivedAt) +
                ", \"date\": " + jsonString(dateText(r.receivedAt)) +
                ", \"player\": " + jsonHref(at, player) + "}";
        }
        return {200, json + "],\n " + jsonLinks(at, std::nullopt, std::nullopt) + "}\n"};
    }
    Route feed;
    feed.page = Page::records;
    feed.atom = true;
    std::string html = frameTop(at, "Rekorde") + "<h1>Neue Rekorde</h1>\n";
    html += "<p>Jedes Mal, wenn auf einer Spielstufe eine neue schnellste Zeit den ersten Platz "
            "aller Zeiten nimmt, steht sie hier, die neueste zuerst. Wer davon hören möchte, "
            "abonniert den <a href=\"" +
            hrefTo(at, feed) + "\">Atom-Feed</a> in einem Feed-Leser.</p>\n";
    if (records.empty())
        return {200, html + "<p class=\"leer\">Noch keine Rekorde.</p>\n" + frameBottom(at)};
    // A list rather than a table: a record reads as a sentence and fits any width.
    html += "<ul class=\"rekorde\">\n";
    for (const RecordRow& r : records) {
        html += "<li><span class=\"datum-fest\">" + dateText(r.receivedAt) + "</span> <strong>" +
                htmlEscape(festeStufe(r.level).name) +
                "</strong>: " + htmlEscape(timeText(r.tenths)) + " von <span class=\"name\">" +
                playerLink(at, r.name) + "</span>";
        if (r.previousTenths) html += " (vorher " + htmlEscape(timeText(*r.previousTenths)) + ")";
        html += "</li>\n";
    }
    return {200, html + "</ul>\n" + frameBottom(at)};
}

} // namespace liga
