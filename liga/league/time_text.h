// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Times and counts as the league's pages write them.
#pragma once
#include <cstdint>
#include <string>

namespace liga {

// "8,7 Sekunden" below a minute, "1:02,3 min" from a minute, "1:02:03,4 h" from an hour:
// one form everywhere on the pages, so that a long time reads at a glance.
std::string timeText(int32_t tenths);

// The same, "8,7 s" below a minute, where room is short.
std::string shortTimeText(int32_t tenths);

// "3.481": whole numbers with the German thousands dot.
std::string countText(int64_t n);

} // namespace liga
