// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the league's pages read from a store beside the boards of store.h: a level's board
// and the combined ranking for a period, paged at any depth; a player's bests, places,
// neighbours, entries and history; name search; a level's spread of times; the records.
// Held, rejected, removed and barred entries appear in none of them.
#pragma once
#include "period.h"
#include "store.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace liga {

// The levels whose times the combined ranking ("Summe") adds up.
constexpr int32_t firstSummedLevel = 1;
constexpr int32_t lastSummedLevel = 3;

// Rows `first` (0 = the fastest) to `first + count - 1` of a ranking, wherever they are.
struct PageRange {
    int64_t first = 0;
    int64_t count = 100;
};

// A page of a level's board for a period: rows numbered by placeBehind, and how many
// names the board ranks. Equal times share a place; a page that begins inside a run of
// equal times gives its first rows the run's place.
struct BoardPage {
    std::vector<BoardRow> rows;
    int64_t ranked = 0;
};

// One name of the combined ranking: its best on each of levels 1, 2 and 3 in the period,
// ordered by their sum, equal sums by the level-3 time, then the level-2 time (then by
// when the line was complete, then by name). Names equal in all three share a place.
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
// up to `neighbours` names directly above and below it (by board order).
struct Standing {
    int32_t level = 0;
    PeriodStart period;
    std::optional<BoardRow> best; // none when the name has no ranked time there
    int64_t ranked = 0;           // names on the board; 0 where the name has no best
    std::vector<BoardRow> above;  // nearest last
    std::vector<BoardRow> below;  // nearest first
};

// Where a name stands in the combined ranking of one period.
struct SumStanding {
    PeriodStart period;
    std::optional<SumRow> row; // none without a best on each of levels 1, 2 and 3
    int64_t ranked = 0;        // names in the ranking; 0 where the name has no line
};

// Continues a listing of a name's entries after the last one shown (its receivedAt and
// code), so that paging costs no scan over the entries before it.
struct EntryCursor {
    int64_t receivedAt = 0;
    std::string code;
};

// One time on a level: how many names hold it as their best in the period.
struct TimeCount {
    int32_t tenths = 0;
    int64_t names = 0;
};

// The first place of a level went to a new, faster time (all time): one row each. The
// records are the entries faster than every entry of their level that arrived before
// them, so a moderation that takes an entry away or brings one back changes them as if
// it had always been so.
struct RecordRow {
    std::string code; // the entry's own code: a permanent id, never a place
    std::string name;
    int32_t level = 0;
    int32_t tenths = 0;
    int64_t receivedAt = 0;
    std::optional<int32_t> previousTenths; // the record it beat; none for a level's first
};

// What a player's page reads of a name (Views::player).
struct PlayerReads {
    std::vector<Standing> standings;
    std::vector<SumStanding> sums;
    std::vector<EntryRow> entries;
    std::vector<EntryRow> history;
};

// The league's version and when it last changed (seconds since 1970, the clock of the
// process that made the change), both from the database, so that every process on one
// database gives the same ETag and Last-Modified. A period's board also changes when its
// period ends, which no version shows: a validator for it should name the period's start.
struct VersionStamp {
    uint64_t version = 0;
    int64_t changedAt = 0;
};

// The reads, as a store offers them (Store::views()); every call may come from any number
// of threads and waits no longer than its deadline (StoreUnavailable), as store.h's calls
// do. Paging a board or the sum at any depth costs no scan over the rows before it, only
// over the names that share the first row's time (or sum).
class Views {
public:
    virtual ~Views() = default;
    virtual BoardPage boardPage(int32_t level, PeriodStart period, PageRange range,
                                Deadline until) = 0;
    virtual SumPage sumPage(PeriodStart period, PageRange range, Deadline until) = 0;
    // For each period in turn, levels 1 to 5; `neighbours` (0 to 10) names above and below
    // where the name has a best in the period `near` (none in the others).
    virtual std::vector<Standing> standings(const std::string& name,
                                            const std::vector<PeriodStart>& periods, Period near,
                                            int neighbours, Deadline until) = 0;
    virtual std::vector<SumStanding> sumStandings(const std::string& name,
                                                  const std::vector<PeriodStart>& periods,
                                                  Deadline until) = 0;
    // A name's ranked entries, newest first, at most `limit` (1 to 1,000), after `after`.
    virtual std::vector<EntryRow> playerEntries(const std::string& name,
                                                const std::optional<EntryCursor>& after,
                                                int64_t limit, Deadline until) = 0;
    // The entries that made a name's best on their level faster, oldest first: the steps of
    // the staircase that its bests draw (its first entry on a level is one).
    virtual std::vector<EntryRow> playerHistory(const std::string& name, Deadline until) = 0;
    // Names on any board whose name starts with `text`, ignoring case: the name itself
    // first, then in order of their letters; at most `limit` (1 to 1,000).
    virtual std::vector<std::string> findNames(const std::string& text, int64_t limit,
                                               Deadline until) = 0;
    // How many names hold each time as their best, fastest first; times no name holds are
    // left out.
    virtual std::vector<TimeCount> distribution(int32_t level, PeriodStart period,
                                                Deadline until) = 0;
    // The newest `limit` (1 to 1,000) records of a level (0: of every level), newest first.
    virtual std::vector<RecordRow> records(int32_t level, int64_t limit, Deadline until) = 0;
    // A player's page at once: standings(name, periods, near, neighbours),
    // sumStandings(name, periods), playerEntries(name, after, limit) and playerHistory(name),
    // in at most two trips to the database: the first reads the entries and the places in
    // the periods of `near`, the second the neighbours, which start from those bests, and
    // only the other periods and sums that the entries leave possible.
    virtual PlayerReads player(const std::string& name, const std::vector<PeriodStart>& periods,
                               Period near, int neighbours, const std::optional<EntryCursor>& after,
                               int64_t limit, Deadline until) = 0;
    virtual VersionStamp versionStamp(Deadline until) = 0;
};

} // namespace liga
