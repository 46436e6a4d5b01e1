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

// Rows per level on the page.
constexpr int64_t boardRows = 100;

// The lists of the fixed levels, Anfänger first (at festeStufeIndex).
using Boards = std::array<std::vector<BoardRow>, anzahlFesteStufen>;

// The league page: one German HTML page (UTF-8, no scripts) with each level's list.
std::string renderPage(const Boards& boards);

// Text made safe to stand in HTML, in elements and in quoted attributes alike.
std::string htmlEscape(std::string_view text);

} // namespace liga
