// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "search_page.h"
#include "feed.h"
#include "html.h"
#include "namenszeichen.h"
#include "page_data.h"

#include <algorithm>

namespace liga {

namespace {

// Whether some name could begin with `text`: at most 15 of the characters a name may hold.
bool possiblePrefix(std::string_view text) {
    return text.size() <= laengsterName && std::all_of(text.begin(), text.end(), [](char c) {
               return namenszeichenErlaubt(static_cast<unsigned char>(c));
           });
}

} // namespace

Rendered searchPage(const Route& at, const PageContext& c) {
    const bool asked = !at.name.empty() && possiblePrefix(at.name);
    std::vector<std::string> names;
    if (asked) names = c.views.findNames(at.name, searchHits, c.until);
    const bool exact = !names.empty() && names.front() == at.name;
    if (at.json) {
        std::string json = "{\"query\": " + jsonString(at.name) +
                           ", \"exact\": " + (exact ? "true" : "false") + ", \"names\": [";
        const char* comma = "";
        for (const std::string& n : names) {
            const Route player = playerRoute(n, true);
            json += comma;
            comma = ", ";
            json += "{\"name\": " + jsonString(n) + ", \"player\": " + jsonHref(at, player) + "}";
        }
        return {200, json + "],\n " + jsonLinks(at, std::nullopt, std::nullopt) + "}\n"};
    }
    std::string html = frameTop(at, at.name.empty() ? "Suche" : "Suche nach " + at.name) +
                       "<h1>Name suchen</h1>\n";
    html += "<p>Das Suchfeld oben findet einen Namen genau so, wie er geschrieben ist, und "
            "danach alle Namen, die so beginnen; große und kleine Buchstaben gelten dabei "
            "gleich.</p>\n";
    if (at.name.empty()) return {200, html + frameBottom(at)};
    if (!asked) {
        html += "<p class=\"leer\">So kann kein Name lauten: ein Name hat höchstens " +
                std::to_string(laengsterName) +
                " Zeichen, Buchstaben ohne Umlaute, Ziffern und ! # ( ) , - . / = ? [ ] _</p>\n";
        return {200, html + frameBottom(at)};
    }
    if (names.empty()) {
        html += "<p class=\"leer\">Kein Name beginnt mit „" + htmlEscape(at.name) + "“.</p>\n";
        return {200, html + frameBottom(at)};
    }
    html += "<ul class=\"verweise treffer\">\n";
    for (const std::string& n : names)
        html +=
            "<li>" + playerLink(at, n) + (n == at.name ? " (genau dieser Name)" : "") + "</li>\n";
    html += "</ul>\n";
    if (static_cast<int64_t>(names.size()) >= searchHits)
        html += "<p class=\"hinweis\">Es gibt mehr Namen, die so beginnen; geben Sie mehr "
                "Zeichen ein.</p>\n";
    return {200, html + frameBottom(at)};
}

} // namespace liga
