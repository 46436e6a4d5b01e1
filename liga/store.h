// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>
#include <stdexcept>
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
// level, numbered by placeBehind (ranking.h), and how many names that level ranks.
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

using Deadline = std::chrono::steady_clock::time_point;

// Whether a store's commit waits until the entry is on disk. By default it does not: a
// crash of the machine (SQLite) or of the database server (PostgreSQL) may lose the
// entries of its last moment, never the league's consistency; a commit then costs no
// disk flush, which on a plain disk is what bounds how many a second there can be.
enum class Durability { flushLater, flushEachCommit };

// How long a request waits for the database at most, unless its caller says otherwise.
constexpr std::chrono::milliseconds defaultWait{2000};
inline Deadline waitFromNow(std::chrono::milliseconds wait = defaultWait) {
    return std::chrono::steady_clock::now() + wait;
}

// The database could not be reached, or did not answer before the deadline. Nothing was
// stored by the call that throws it; the next call tries again.
class StoreUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the league keeps its entries: every accepted code with its name, level, time and
// when it was received, and each name's best time per level, from which the boards come.
//
// What every store promises:
// - Every call may come from any number of threads at once.
// - `submit` is atomic: the entry, the name's best and what placing needs change together
//   or not at all. A code is stored once: sent twice, also to two server processes on one
//   database at the same moment, it counts once, and every later call answers
//   alreadyReceived with the place of what was stored with it.
// - A name's best time on a level is its fastest; a slower entry is kept but changes no
//   board. Boards list names fastest first, equal times by when they were received.
// - Places are numbered by placeBehind (ranking.h) from how many names are faster, never
//   by the store itself. Placing costs no time in proportion to the names on a level.
// - `version` comes from the database: it grows with every change that any process made,
//   so that what a reader built at one version holds until version differs.
// - No call waits past its deadline: then, or when the database is away, it throws
//   StoreUnavailable (any other failure throws std::runtime_error) and leaves the store
//   usable; a lost connection is opened again on a later call.
class Store {
public:
    virtual ~Store() = default;

    // Adds the entry unless its code is already there, and places it.
    Placement submit(const Submission& entry, Deadline until = waitFromNow()) {
        return submitBefore(entry, until);
    }
    // The best time of each name on a level, fastest first, at most `limit` rows.
    std::vector<BoardRow> board(int32_t level, int64_t limit, Deadline until = waitFromNow()) {
        return boardBefore(level, limit, until);
    }
    // The count of changes made to the league so far.
    uint64_t version(Deadline until = waitFromNow()) { return versionBefore(until); }

protected:
    virtual Placement submitBefore(const Submission& entry, Deadline until) = 0;
    virtual std::vector<BoardRow> boardBefore(int32_t level, int64_t limit, Deadline until) = 0;
    virtual uint64_t versionBefore(Deadline until) = 0;
};

} // namespace liga
