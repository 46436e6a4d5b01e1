// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Codes, entries and requests for the league's tests.
#pragma once
#include "forwarded_for.h"
#include "handler.h"
#include "ligacode.h"

#include <chrono>
#include <string>
#include <thread>

namespace liga::samples {

// The code the game would send for this name, time and level.
inline std::string code(const char* name, int32_t time, int32_t level, int32_t seed = 1) {
    return getcode(name, time, level, [&seed](int32_t n) { return seed++ % n; });
}

inline Submission entry(const std::string& name, int32_t level, int32_t tenths, int32_t seed = 1) {
    return {name, level, tenths, 1700000000, code("Unbekannt", 1, level, seed)};
}

inline Request request(const std::string& c, const std::string& client = "192.0.2.1") {
    Request r;
    r.method = "GET";
    r.path = "/rekord.php";
    r.code = c;
    r.client = parseAddress(client).value_or(in6_addr{});
    r.unixSeconds = 1700000000;
    return r;
}

inline std::string firstLine(const Response& r) {
    return r.body.substr(0, r.body.find("\r\n"));
}

// Whether `f` holds within `deadline`, asked every 50 ms.
template <class F> bool within(std::chrono::milliseconds deadline, F f) {
    for (auto end = std::chrono::steady_clock::now() + deadline; !f();) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace liga::samples
