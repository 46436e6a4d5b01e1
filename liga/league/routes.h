// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's addresses: which page a request's path and query name, and the address of
// each page, so that every link the pages write leads back to the same page.
#pragma once
#include "views.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace liga {

enum class Page {
    overview,     // "/", and its boards as data at "/liga.json"
    submit,       // "/rekord.php?code=..."
    board,        // "/stufe/3", "/stufe/3/woche"
    sum,          // "/summe", "/summe/monat"
    player,       // "/spieler/NAME", "/spieler/NAME/jahr"
    search,       // "/suche?name=..."
    distribution, // "/verteilung/3", "/verteilung/3/woche", "/verteilung/3/woche"
    records,      // "/rekorde", and as an Atom feed at "/rekorde.atom"
    favicon,      // "/favicon.ico"
};

// Rows on a page of a board or of the sum.
constexpr int64_t rowsPerPage = 100;

struct Route {
    Page page = Page::overview;
    // The data beside the page: "/json/" before its path ("/liga.json" for the overview).
    bool json = false;
    bool atom = false;                 // records: the feed
    int32_t level = 0;                 // board, distribution
    Period period = Period::all;       // board, sum, player, distribution
    int64_t pageNumber = 1;            // board, sum: "?seite=2" for rows 101 to 200
    std::string name;                  // player: the name; search: what was asked for
    std::optional<EntryCursor> before; // player: the entries after this one, "?vor=T.CODE"
    std::optional<int32_t> mark;       // distribution: a time to point at, "?zeit=TENTHS"
};

// The routes that pages link most.
Route pageRoute(Page page);
Route playerRoute(std::string name, bool json = false);
Route boardRoute(int32_t level, Period period = Period::all);
Route distributionRoute(int32_t level, std::optional<int32_t> mark = std::nullopt,
                        Period period = Period::all);

using Arguments = std::vector<std::pair<std::string, std::string>>;

// The route a path (as it came, percent-encoded) and the query's decoded arguments name;
// nothing when they name no page. Each path segment is decoded on its own, so that a name
// may hold "/". Unknown arguments are left aside.
std::optional<Route> parseRoute(std::string_view path, const Arguments& arguments);

// A route's address relative to the league's root, with its query: "stufe/3/woche?seite=2";
// "" for the overview. One route has one address, so it also keys the rendered pages.
std::string routeHref(const Route& route);

// The same board or sum at page `number`, when it is one of `pages`.
std::optional<Route> pageNumbered(const Route& route, int64_t number, int64_t pages);

// From the page at `route` back to the league's root: "", "../", "../../", ...
std::string rootFrom(const Route& route);

// Whether `name` can be a name in the league: 6 to 15 of the characters a name may hold.
bool possibleName(std::string_view name);

} // namespace liga
