// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the league's pages read from a store beside the boards of store.h: a level's board
// and the combined ranking for a period, paged at any depth; a player's bests, places,
// neighbours, entries and history; name search; a level's spread of times; the records.
// Held, rejected, removed and barred entries appear in none of them.
#pragma once
#include "store.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace liga {

// The boards a league keeps: all time, and the current calendar year, month and week
// (from Monday 00:00) in the league's time zone. A name's place in a period counts only
// its entries that arrived in that period.
enum class Period { all = 0, year = 1, month = 2, week = 3 };

// One period as the store is asked for it: which kind, and when it began (seconds since
// 1970, UTC; 0 for all time). The league works out `from` from the clock and its time zone.
struct PeriodStart {
    Period period = Period::all;
    int64_t from = 0;
};

// Rows `first` (0 = the fastest) to `first + count - 1` of a ranking, wherever they are.
struct PageRange {
    int64_t first = 0;
    int64_t count = 100;
};

// A page of a level's board for a period: rows numbered by placeBehind, and how many
// names the board ranks.
struct BoardPage {
    std::vector<BoardRow> rows;
    int64_t ranked = 0;
};

// One name of the combined ranking: its best on each of levels 1, 2 and 3 in the period,
// ordered by their sum, equal sums by the level-3 time, then the level-2 time.
struct SumRow {
    int64_t place = 0;
    std::string name;
    int32_t total = 0;               // tenths
    std::array<int32_t, 3> tenths{}; // levels 1, 2, 3
    int64_t receivedAt = 0;          // the latest of the three
};

struct SumPage {
    std::vector<SumRow> rows;
    int64_t ranked = 0; // names with a best on each of the three levels
};

// Where a name stands on one level in one period: its best, place among how many, and
// up to five names directly above and below it.
struct Standing {
    int32_t level = 0;
    PeriodStart period;
    std::optional<BoardRow> best; // none when the name has no ranked time there
    int64_t ranked = 0;
    std::vector<BoardRow> above; // nearest last
    std::vector<BoardRow> below; // nearest first
};

// A page of a name's accepted (ranked) entries, newest first; `before` continues a listing
// after the last entry shown (its receivedAt and code), so that paging costs no scan.
struct EntryCursor {
    int64_t receivedAt = 0;
    std::string code;
};

// One time on a level: how many names hold it as their best (all time).
struct TimeCount {
    int32_t tenths = 0;
    int64_t names = 0;
};

// The first place of a level went to a new, faster time (all time): one entry each.
struct RecordRow {
    std::string code; // the entry's own code: a permanent id, never a place
    std::string name;
    int32_t level = 0;
    int32_t tenths = 0;
    int64_t receivedAt = 0;
    std::optional<int32_t> previousTenths; // the record it beat
};

// The league's version and when it last changed (seconds since 1970), from the database,
// so that every process on one database gives the same ETag and Last-Modified.
struct VersionStamp {
    uint64_t version = 0;
    int64_t changedAt = 0;
};

// The reads, as a store offers them; every call may come from any number of threads and
// waits no longer than its deadline (StoreUnavailable), as store.h's calls do. Paging a
// board or the sum at any depth costs no scan over the rows before it.
class Views {
public:
    virtual ~Views() = default;
    virtual BoardPage boardPage(int32_t level, PeriodStart period, PageRange range,
                                Deadline until) = 0;
    virtual SumPage sumPage(PeriodStart period, PageRange range, Deadline until) = 0;
    virtual std::vector<Standing>
    standings(const std::string& name, const std::vector<PeriodStart>& periods, Deadline until) = 0;
    virtual std::vector<EntryRow> playerEntries(const std::string& name,
                                                std::optional<EntryCursor> before, int64_t limit,
                                                Deadline until) = 0;
    // Every ranked entry of a name, oldest first: the page draws its bests as a staircase.
    virtual std::vector<EntryRow> playerHistory(const std::string& name, Deadline until) = 0;
    // Names on any board: the exact one first, then those that start with `prefix`.
    virtual std::vector<std::string> findNames(const std::string& prefix, int64_t limit,
                                               Deadline until) = 0;
    virtual std::vector<TimeCount> distribution(int32_t level, Deadline until) = 0;
    // The newest `limit` records, newest first.
    virtual std::vector<RecordRow> records(int64_t limit, Deadline until) = 0;
    virtual VersionStamp versionStamp(Deadline until) = 0;
};

} // namespace liga
