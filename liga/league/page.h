// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "html.h"
#include "review.h"
#include "store.h"
#include "stufen.h"
#include "views.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace liga {

// Rows per level on the page.
constexpr int64_t boardRows = 100;

// The lists of the fixed levels, Anfänger first (at festeStufeIndex).
using Boards = std::array<std::vector<BoardRow>, anzahlFesteStufen>;

// What the overview shows beside the boards.
struct OverviewExtras {
    Boards weekLeaders; // who shares this week's first place on each level
    PeriodStart week;   // when this week began
    int64_t now = 0;
    ReviewBounds review = defaultReviewBounds();
};

// The league's overview: one German HTML page (UTF-8, no scripts) with each level's list,
// this week's leaders, links to every other page and what a held time means.
std::string renderPage(const Boards& boards, const OverviewExtras& extras = {});

} // namespace liga
