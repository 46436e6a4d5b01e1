// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "routes.h"
#include "namenszeichen.h"
#include "percent_coding.h"
#include "periods.h"
#include "whole_number.h"

#include <algorithm>

namespace liga {

namespace {

constexpr int64_t highestPage = 1000000000;

std::optional<std::vector<std::string>> segments(std::string_view path) {
    if (!path.starts_with('/')) return std::nullopt;
    std::vector<std::string> out;
    if (path == "/") return out;
    path.remove_prefix(1);
    for (;;) {
        const std::size_t slash = path.find('/');
        const std::string_view raw = path.substr(0, slash);
        std::optional<std::string> decoded = percentDecode(raw);
        if (raw.empty() || !decoded) return std::nullopt;
        out.push_back(std::move(*decoded));
        if (slash == std::string_view::npos) return out;
        path.remove_prefix(slash + 1);
    }
}

const std::string* argument(const Arguments& arguments, std::string_view key) {
    for (const auto& [k, v] : arguments)
        if (k == key) return &v;
    return nullptr;
}

std::optional<int32_t> levelOf(const std::string& word) {
    if (word.size() != 1 || word[0] < '1' || word[0] > '5') return std::nullopt;
    return word[0] - '0';
}

// A period's word after the page's own segments; none is all time.
bool readPeriod(const std::vector<std::string>& s, std::size_t at, Route& route) {
    if (s.size() == at) return true;
    if (s.size() != at + 1) return false;
    for (const Period p : allPeriods)
        if (p != Period::all && s[at] == periodWord(p)) {
            route.period = p;
            return true;
        }
    return false;
}

// "T.CODE": when an entry came and its code.
std::optional<EntryCursor> cursorOf(std::string_view text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const std::optional<int64_t> at = wholeNumber<int64_t>(text.substr(0, dot));
    const std::string_view code = text.substr(dot + 1);
    if (!at || code.empty() || code.size() > 64) return std::nullopt;
    for (const char c : code)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return std::nullopt;
    return EntryCursor{*at, std::string(code)};
}

bool readArguments(const Arguments& arguments, Route& route) {
    if (route.page == Page::board || route.page == Page::sum) {
        if (const std::string* page = argument(arguments, "seite")) {
            const std::optional<int64_t> n = wholeNumber<int64_t>(*page);
            if (!n || *n < 1 || *n > highestPage) return false;
            route.pageNumber = *n;
        }
    } else if (route.page == Page::player) {
        if (const std::string* before = argument(arguments, "vor")) {
            route.before = cursorOf(*before);
            if (!route.before) return false;
        }
    } else if (route.page == Page::search) {
        if (const std::string* name = argument(arguments, "name")) route.name = *name;
    } else if (route.page == Page::distribution) {
        if (const std::string* time = argument(arguments, "zeit")) {
            route.mark = wholeNumber<int32_t>(*time);
            if (!route.mark || *route.mark < 1) return false;
        }
    }
    return true;
}

std::optional<Route> pageOf(const std::vector<std::string>& s) {
    Route route;
    if (s.empty()) return route;
    const std::string& first = s[0];
    if (first == "stufe" && s.size() >= 2) {
        route.page = Page::board;
        const auto level = levelOf(s[1]);
        if (!level || !readPeriod(s, 2, route)) return std::nullopt;
        route.level = *level;
        return route;
    }
    if (first == "summe") {
        route.page = Page::sum;
        if (!readPeriod(s, 1, route)) return std::nullopt;
        return route;
    }
    if (first == "spieler" && s.size() >= 2) {
        route.page = Page::player;
        if (!possibleName(s[1]) || !readPeriod(s, 2, route)) return std::nullopt;
        route.name = s[1];
        return route;
    }
    if (first == "verteilung" && s.size() >= 2) {
        route.page = Page::distribution;
        const auto level = levelOf(s[1]);
        if (!level || !readPeriod(s, 2, route)) return std::nullopt;
        route.level = *level;
        return route;
    }
    if (s.size() != 1) return std::nullopt;
    if (first == "suche")
        route.page = Page::search;
    else if (first == "rekorde")
        route.page = Page::records;
    else
        return std::nullopt;
    return route;
}

} // namespace

Route pageRoute(Page page) {
    Route r;
    r.page = page;
    return r;
}

Route playerRoute(std::string name, bool json) {
    Route r = pageRoute(Page::player);
    r.name = std::move(name);
    r.json = json;
    return r;
}

Route boardRoute(int32_t level, Period period) {
    Route r = pageRoute(Page::board);
    r.level = level;
    r.period = period;
    return r;
}

Route distributionRoute(int32_t level, std::optional<int32_t> mark, Period period) {
    Route r = pageRoute(Page::distribution);
    r.level = level;
    r.mark = mark;
    r.period = period;
    return r;
}

bool possibleName(std::string_view name) {
    return name.size() >= kuerzesterName && name.size() <= laengsterName &&
           std::all_of(name.begin(), name.end(),
                       [](char c) { return namenszeichenErlaubt(static_cast<unsigned char>(c)); });
}

std::optional<Route> parseRoute(std::string_view path, const Arguments& arguments) {
    std::optional<std::vector<std::string>> s = segments(path);
    if (!s) return std::nullopt;
    std::optional<Route> route;
    if (s->size() == 1 && (*s)[0] == "liga.json") {
        route = Route{};
        route->json = true;
    } else if (s->size() == 1 && (*s)[0] == "rekord.php") {
        route = Route{};
        route->page = Page::submit;
    } else if (s->size() == 1 && (*s)[0] == "favicon.ico") {
        route = Route{};
        route->page = Page::favicon;
    } else if (s->size() == 1 && (*s)[0] == "rekorde.atom") {
        route = Route{};
        route->page = Page::records;
        route->atom = true;
    } else if (!s->empty() && (*s)[0] == "json") {
        s->erase(s->begin());
        if (s->empty()) return std::nullopt;
        route = pageOf(*s);
        if (route) route->json = true;
    } else {
        route = pageOf(*s);
    }
    if (!route || !readArguments(arguments, *route)) return std::nullopt;
    return route;
}

std::string routeHref(const Route& r) {
    std::string path;
    const auto withPeriod = [&](std::string base) {
        if (r.period != Period::all) base += std::string("/") + periodWord(r.period);
        return base;
    };
    switch (r.page) {
    case Page::overview:
        return r.json ? "liga.json" : "";
    case Page::submit:
        return "rekord.php";
    case Page::favicon:
        return "favicon.ico";
    case Page::board:
        path = withPeriod("stufe/" + std::to_string(r.level));
        if (r.pageNumber > 1) path += "?seite=" + std::to_string(r.pageNumber);
        break;
    case Page::sum:
        path = withPeriod("summe");
        if (r.pageNumber > 1) path += "?seite=" + std::to_string(r.pageNumber);
        break;
    case Page::player:
        path = withPeriod("spieler/" + percentEncode(r.name));
        if (r.before) path += "?vor=" + std::to_string(r.before->receivedAt) + "." + r.before->code;
        break;
    case Page::search:
        path = "suche";
        if (!r.name.empty()) path += "?name=" + percentEncode(r.name);
        break;
    case Page::distribution:
        path = withPeriod("verteilung/" + std::to_string(r.level));
        if (r.mark) path += "?zeit=" + std::to_string(*r.mark);
        break;
    case Page::records:
        if (r.atom) return "rekorde.atom";
        path = "rekorde";
        break;
    }
    return r.json ? "json/" + path : path;
}

std::optional<Route> pageNumbered(const Route& route, int64_t number, int64_t pages) {
    if (number < 1 || number > pages) return std::nullopt;
    Route r = route;
    r.pageNumber = number;
    return r;
}

std::string rootFrom(const Route& route) {
    const std::string href = routeHref(route);
    const std::string_view path = std::string_view(href).substr(0, href.find('?'));
    const auto depth = std::count(path.begin(), path.end(), '/');
    std::string up;
    for (int i = 0; i < depth; ++i) up += "../";
    return up;
}

} // namespace liga
