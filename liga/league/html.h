// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What every page of the league shares: its frame (head, navigation, search field,
// footer), links to other pages, paging and the period tabs.
#pragma once
#include "routes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace liga {

// Text made safe to stand in HTML, in elements and in quoted attributes alike.
std::string htmlEscape(std::string_view text);

// The address of `to` as seen from the page at `from`, escaped for an attribute.
std::string hrefTo(const Route& from, const Route& to);
// The name as a link to its player's page.
std::string playerLink(const Route& from, const std::string& name);

// A page's start: document head with its title ("Profis, Woche" becomes "Profis, Woche –
// Zundel-League"), its data and the records feed as alternates, the icon, the style; then
// the header with the navigation and the search field, and the opening of <main>.
std::string frameTop(const Route& at, std::string_view title);
// The closing of <main>, the footer with the page's data, the feed and the game's home.
std::string frameBottom(const Route& at);

// "zurück" and "weiter" between the pages of a board or of the sum, with where this one
// stands; nothing when all fits on one page. `where` ("oben", "unten") names it apart
// from the page's other one.
std::string pager(const Route& at, int64_t pages, std::string_view where);
// Links to the same page for each period, the current one marked.
std::string periodTabs(const Route& at);

// How many pages `rows` rows take, at least one.
int64_t pageCount(int64_t rows);

// Since when the period counts ("Diese Woche, seit Montag, 07.12.2026, 00:00 Uhr") and the
// league's time zone at `now`, in which every date on the pages stands.
std::string periodNote(const PeriodStart& period, int64_t now);

} // namespace liga
