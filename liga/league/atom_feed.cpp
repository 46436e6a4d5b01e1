// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "atom_feed.h"
#include "html.h"
#include "routes.h"
#include "stufen.h"
#include "time_text.h"

#include <ctime>

#ifndef ZUNDEL_WEBSITE_HOST
#define ZUNDEL_WEBSITE_HOST "zundelfeld.example"
#endif

namespace liga {

namespace {

// Ids in the game's own name space: a record keeps its id wherever the league is served
// from, and whatever place its time holds later.
const std::string idBase = "tag:" ZUNDEL_WEBSITE_HOST ",2026:liga/";

} // namespace

std::string rfc3339(int64_t t) {
    const std::time_t time = static_cast<std::time_t>(t);
    std::tm utc{};
    char text[32] = "1970-01-01T00:00:00Z";
    if (gmtime_r(&time, &utc)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string recordId(const RecordRow& r) {
    return idBase + "rekord/" + r.code;
}

std::string atomFeed(const std::vector<RecordRow>& records) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:lang=\"de\">\n"
                      "<id>" +
                      idBase +
                      "rekorde</id>\n"
                      "<title>Zundel-League: neue Rekorde</title>\n"
                      "<subtitle>Jede neue schnellste Zeit einer Spielstufe</subtitle>\n"
                      "<updated>" +
                      rfc3339(records.empty() ? 0 : records.front().receivedAt) +
                      "</updated>\n"
                      "<link rel=\"self\" type=\"application/atom+xml\" href=\"rekorde.atom\"/>\n"
                      "<link rel=\"alternate\" type=\"text/html\" href=\"rekorde\"/>\n"
                      "<author><name>Zundel-League</name></author>\n";
    for (const RecordRow& r : records) {
        const Route player = playerRoute(r.name);
        const std::string level = festeStufe(r.level).name;
        const std::string when = rfc3339(r.receivedAt);
        std::string summary =
            r.name + " hält den Rekord der Spielstufe " + level + " mit " + timeText(r.tenths);
        summary += r.previousTenths ? " (vorher " + timeText(*r.previousTenths) + ")." : ".";
        xml += "<entry>\n<id>" + htmlEscape(recordId(r)) + "</id>\n<title>" +
               htmlEscape(level + ": " + timeText(r.tenths) + " von " + r.name) +
               "</title>\n<published>" + when + "</published>\n<updated>" + when +
               "</updated>\n<link rel=\"alternate\" type=\"text/html\" href=\"" +
               htmlEscape(routeHref(player)) + "\"/>\n<summary>" + htmlEscape(summary) +
               "</summary>\n</entry>\n";
    }
    return xml + "</feed>\n";
}

} // namespace liga
