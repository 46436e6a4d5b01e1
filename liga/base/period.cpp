// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "period.h"

#include <ctime>
#include <limits>

namespace liga {

namespace {

// The local calendar day of `at`, at midnight; mktime works out the offset of that day.
std::tm localMidnight(int64_t at) {
    const std::time_t t = static_cast<std::time_t>(at);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return local;
}

int64_t made(std::tm& local) {
    return static_cast<int64_t>(std::mktime(&local));
}

} // namespace

int64_t periodStartOf(Period period, int64_t at) {
    if (period == Period::all) return 0;
    std::tm day = localMidnight(at);
    switch (period) {
    case Period::year:
        day.tm_mon = 0;
        day.tm_mday = 1;
        break;
    case Period::month:
        day.tm_mday = 1;
        break;
    default:
        day.tm_mday -= (day.tm_wday + 6) % 7; // back to Monday
        break;
    }
    return made(day);
}

int64_t periodAfter(Period period, int64_t from) {
    if (period == Period::all) return std::numeric_limits<int64_t>::max();
    std::tm day = localMidnight(from);
    switch (period) {
    case Period::year:
        day.tm_year += 1;
        day.tm_mon = 0;
        day.tm_mday = 1;
        break;
    case Period::month:
        day.tm_mon += 1;
        day.tm_mday = 1;
        break;
    default:
        day.tm_mday += 7;
        break;
    }
    return made(day);
}

} // namespace liga
