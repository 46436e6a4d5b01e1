// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar periods a league ranks beside all time, in the server's local time zone.
#pragma once
#include <cstdint>

namespace liga {

// All time, and the calendar year, month and week (from Monday 00:00).
enum class Period { all = 0, year = 1, month = 2, week = 3 };

// One period: which kind, and when it began (seconds since 1970; 0 for all time).
struct PeriodStart {
    Period period = Period::all;
    int64_t from = 0;
    bool operator==(const PeriodStart&) const = default;
};

// The start of the period of this kind that holds the moment `at` (seconds since 1970),
// local midnight as mktime makes it, so also across a change to or from summer time.
int64_t periodStartOf(Period period, int64_t at);
// The start of the period after the one that began at `from`.
int64_t periodAfter(Period period, int64_t from);

inline PeriodStart currentPeriod(Period period, int64_t now) {
    return {period, periodStartOf(period, now)};
}

} // namespace liga
