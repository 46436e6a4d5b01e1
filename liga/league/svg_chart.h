// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Charts drawn by the server as inline SVG: no script, no picture file, sharp at any zoom,
// sized to the width of a phone or a desk. Each names itself for screen readers; the page
// gives the same numbers as text beside it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace liga {

// A personal best from the moment it was set.
struct ChartStep {
    int64_t at = 0;     // seconds since 1970
    int32_t tenths = 0; // faster than every step before it
};

// The bests as a staircase over time, from the first step to `end`, the fastest at the
// bottom. `id` makes the chart's element ids unique on its page.
std::string staircaseChart(const std::vector<ChartStep>& steps, int64_t end, std::string_view id,
                           std::string_view label);

// How many names hold a best time from `from` to just below `to` tenths.
struct ChartBar {
    int32_t from = 0;
    int32_t to = 0;
    int64_t names = 0;
};

// The bars side by side, the fastest left, with a line at `mark` when it falls among them.
std::string histogramChart(const std::vector<ChartBar>& bars, std::optional<int32_t> mark,
                           std::string_view id, std::string_view label);

// A time for an axis: "12,5 s", "1:35 min", "2:05 h".
std::string axisTime(int32_t tenths);

} // namespace liga
