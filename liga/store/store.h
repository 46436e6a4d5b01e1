// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "deadline.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace liga {

class Views;

// What became of an entry: it counts, it waits for an operator, or an operator turned
// it down. Only ranked entries reach the boards.
enum class EntryState { ranked = 0, held = 1, rejected = 2 };

// A client's share of submissions, counted in the database so that every server process
// on it counts alike: a token bucket of `burst`, refilled by `perMinute` a minute. A bucket
// that has filled up again leaves the table now and then.
struct SharedLimit {
    std::string client; // who is counted, as text; empty: nobody, no limit
    uint32_t perMinute = 0;
    uint32_t burst = 0;
    int64_t nowMs = 0;  // milliseconds since 1970: the servers' clocks must agree
    bool sweep = false; // also let go of every bucket that has filled up again
};

// One accepted code.
struct Submission {
    std::string name;       // 6 to 15 allowed characters, no padding
    int32_t level = 0;      // 1..5
    int32_t tenths = 0;     // the whole time
    int64_t receivedAt = 0; // seconds since 1970, UTC
    std::string code;       // the 64 characters as received
    bool held = false;      // stored, but ranked only once an operator approves it
    SharedLimit limit{};    // what its client may still send
};

// Where an entry stands: its time among the best times of all other names on its
// level, numbered by placeBehind (ranking.h), and how many names that level ranks.
// Neither is known for an entry that is not ranked, nor for a barred name.
struct Placement {
    bool alreadyReceived = false; // the same code came before; nothing was added
    bool barred = false;          // the name is barred: nothing was added
    bool limited = false;         // the client has sent too much: nothing was added
    EntryState state = EntryState::ranked;
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

// One stored entry, as an operator looks at it.
struct EntryRow {
    std::string code;
    std::string name;
    int32_t level = 0;
    int32_t tenths = 0;
    int64_t receivedAt = 0;
    EntryState state = EntryState::ranked;
    bool barred = false; // its name is
};

// Which entries to list, newest first: all of them, or those of one level, one name, the
// held ones; at most `limit` (0: every one).
struct EntryQuery {
    std::optional<int32_t> level;
    std::optional<std::string> name;
    bool heldOnly = false;
    int64_t limit = 100;
};

// What an operator does to the league: remove, approve, reject and hold name a code, ban
// and unban a name. The numbers are those the log keeps.
enum class Moderation { remove, ban, unban, approve, reject, hold };

enum class ModerationResult {
    done,
    noSuchEntry, // no entry has the code
    notHeld,     // approve or reject of a rejected or a ranked entry
    notRanked,   // hold of a rejected entry
    unchanged,   // already so: a ban of a barred name, an unban of one that is not, an
                 // approve of a ranked entry, a reject of a rejected one, a hold of a held one
};

// One change an operator made, as every server logs it.
struct LoggedChange {
    int64_t id = 0; // grows with every change
    int64_t at = 0; // seconds since 1970, UTC
    Moderation what = Moderation::remove;
    std::string subject; // the code or the name
};

// Whether a store's commit waits until the entry is on disk. By default it does not: a
// crash of the machine (SQLite) or of the database server (PostgreSQL) may lose the
// entries of its last moment, never the league's consistency; a commit then costs no
// disk flush, which on a plain disk is what bounds how many a second there can be.
enum class Durability { flushLater, flushEachCommit };

// The database could not be reached, or did not answer before the deadline. Nothing was
// stored by the call that throws it; the next call tries again.
class StoreUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The store stopped for good (its SQLite file was deleted or replaced); it has said why on
// standard error once, so that a caller need not say it at every request.
class StoreGone : public StoreUnavailable {
public:
    using StoreUnavailable::StoreUnavailable;
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
// - A barred name has no best time on any level and no new entry; its entries stay, so
//   that lifting the bar brings its best times back. Held and rejected entries change no
//   board. After a moderation, each name's best on a level is its fastest ranked entry.
// - Moderations and submissions never interleave: each moderation sees every submission
//   before it whole, and none after it.
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

    // The entries the query asks for, newest first.
    std::vector<EntryRow> entries(const EntryQuery& query, Deadline until = waitFromNow()) {
        return entriesBefore(query, until);
    }
    // Changes the league as an operator asked, at `at` (seconds since 1970); whatever it
    // changed is logged and counts in version().
    ModerationResult moderate(Moderation what, const std::string& subject, int64_t at,
                              Deadline until = waitFromNow()) {
        return moderateBefore(what, subject, at, until);
    }
    // The logged changes after the one numbered `after`, oldest first (after 0: all).
    std::vector<LoggedChange> changesSince(int64_t after, Deadline until = waitFromNow()) {
        return changesSinceBefore(after, until);
    }
    // What the league's pages read beside the boards (views.h), from the same database.
    virtual Views& views() = 0;
    // The names that entries or the bar hold which differ from `name` in the case of
    // letters alone, `name` itself not among them; sorted, at most 20.
    std::vector<std::string> namesAlike(const std::string& name, Deadline until = waitFromNow()) {
        return namesAlikeBefore(name, until);
    }

protected:
    virtual Placement submitBefore(const Submission& entry, Deadline until) = 0;
    virtual std::vector<BoardRow> boardBefore(int32_t level, int64_t limit, Deadline until) = 0;
    virtual uint64_t versionBefore(Deadline until) = 0;
    virtual std::vector<EntryRow> entriesBefore(const EntryQuery& query, Deadline until) = 0;
    virtual ModerationResult moderateBefore(Moderation what, const std::string& subject, int64_t at,
                                            Deadline until) = 0;
    virtual std::vector<LoggedChange> changesSinceBefore(int64_t after, Deadline until) = 0;
    virtual std::vector<std::string> namesAlikeBefore(const std::string& name, Deadline until) = 0;
};

} // namespace liga
