// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The moment by which a request must have its answer, whatever it waits for.
#pragma once
#include <chrono>

namespace liga {

using Deadline = std::chrono::steady_clock::time_point;

// How long a request waits for the database at most, unless its caller says otherwise.
constexpr std::chrono::milliseconds defaultWait{2000};
inline Deadline waitFromNow(std::chrono::milliseconds wait = defaultWait) {
    return std::chrono::steady_clock::now() + wait;
}

} // namespace liga
