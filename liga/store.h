// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace liga {

// One accepted code.
struct Submission {
    std::string name;       // 6 to 15 allowed characters, no padding
    int32_t level = 0;      // 1..5
    int32_t tenths = 0;     // the whole time
    int64_t receivedAt = 0; // seconds since 1970, UTC
    std::string code;       // the 64 characters as received
};

// Where an entry stands: its time among the best times of all other names on its
// level (equal times share a place), and how many names that level ranks.
struct Placement {
    bool alreadyReceived = false; // the same code came before; nothing was added
    int64_t place = 0;
    int64_t ranked = 0;
};

// One line of a level's list: a name's best time and when it was received.
struct BoardRow {
    int64_t place = 0;
    std::string name;
    int32_t tenths = 0;
    int64_t receivedAt = 0;
};

// Where the league keeps its entries. One implementation today (SQLite); a server-based
// database can take its place behind the same calls.
class Store {
public:
    virtual ~Store() = default;
    // Adds the entry unless its code is already there, and places it; atomic.
    virtual Placement submit(const Submission& entry) = 0;
    // The best time of each name on a level, fastest first, at most `limit` rows.
    virtual std::vector<BoardRow> board(int32_t level, int64_t limit) = 0;
    // Counts every change; lets a reader keep what it built from an unchanged store.
    virtual uint64_t version() = 0;
};

} // namespace liga
