// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"
#include "stufen.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace liga {

// The lists of the fixed levels, Anfänger first (at festeStufeIndex).
using Boards = std::array<std::vector<BoardRow>, anzahlFesteStufen>;

// The league page: one German HTML page (UTF-8, no scripts) with each level's list.
std::string renderPage(const Boards& boards);

// Text made safe to stand in HTML, in elements and in quoted attributes alike.
std::string htmlEscape(std::string_view text);
// A moment in the server's local time zone, as strftime's `format` writes it; "-" when it
// cannot be told.
std::string localTimeText(int64_t secondsSince1970, const char* format);
// "08.12.2025": the day a time was received, in the server's local time zone.
std::string dateText(int64_t secondsSince1970);

} // namespace liga
