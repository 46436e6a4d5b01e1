// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "refresh.h"

#include <cmath>

std::chrono::nanoseconds RefreshInterval(double hertz) {
    if (!std::isfinite(hertz) || hertz < 20.0 || hertz > 1000.0) hertz = 60.0;
    return std::chrono::nanoseconds(static_cast<int64_t>(std::llround(1e9 / hertz)));
}

std::chrono::steady_clock::time_point NextRefresh(std::chrono::steady_clock::time_point origin,
                                                  std::chrono::steady_clock::time_point now,
                                                  std::chrono::nanoseconds interval) {
    if (interval.count() <= 0) return now;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - origin);
    if (elapsed.count() < 0) return origin;
    const int64_t steps = elapsed.count() / interval.count() + 1;
    return origin + interval * steps;
}
