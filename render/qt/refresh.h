// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>

// Timing of the screen's refresh, which stands in for the wait for the vertical blank.

// The refresh interval of a screen that reports `hertz`; 60 Hz when the report is
// missing or implausible (not between 20 and 1000 Hz).
std::chrono::nanoseconds RefreshInterval(double hertz);

// The first refresh after `now` on the grid origin + k * interval, so the waits stay in
// phase however long each one oversleeps. An interval of 0 or less means no grid: `now`.
std::chrono::steady_clock::time_point NextRefresh(std::chrono::steady_clock::time_point origin,
                                                  std::chrono::steady_clock::time_point now,
                                                  std::chrono::nanoseconds interval);
