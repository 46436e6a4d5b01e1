// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

class TUhr;

// The program's one random generator: lays the mines, fills the league code, and is
// re-seeded from the time of day at start-up and whenever the best-times dialog opens.
class TZufall final {
public:
    void setzen(uint32_t saat) { zustand = saat; }
    uint32_t stand() const { return zustand; }

    // Seeds from the universal time of day in milliseconds.
    void randomize(const TUhr& uhr);

    // A number in 0..n-1 for n >= 1: advance the state, then the upper 32 bits of the
    // unsigned 64-bit product state * n.
    int32_t random(int32_t n) {
        zustand = zustand * 134775813u + 1u;
        return static_cast<int32_t>((static_cast<uint64_t>(zustand) * static_cast<uint32_t>(n)) >>
                                    32);
    }

private:
    uint32_t zustand = 0;
};
