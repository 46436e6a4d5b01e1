// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which times an operator looks at before they count.
#pragma once
#include "stufen.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace liga {

// Per fixed level (at festeStufeIndex), the time in tenths below which an entry is held
// until an operator approves it; 0 holds none.
using ReviewBounds = std::array<int32_t, anzahlFesteStufen>;

// Just above the world's fastest times on boards of the same size and mines, plus the one
// second that the game's clock counts before the first uncover; the two big levels get
// the expert record scaled by their number of cells.
ReviewBounds defaultReviewBounds();

bool heldForReview(const ReviewBounds& bounds, int32_t level, int32_t tenths);

// "3:250": level 1..5 and tenths; nothing for anything else.
std::optional<std::pair<int32_t, int32_t>> parseReviewBound(std::string_view text);

} // namespace liga
