// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The statements of the rankings beside `best` and of the pages' reads, in the SQL that
// SQLite and PostgreSQL share: written with SQLite's numbered values (?1, ?2, ...), which
// postgresForm turns into PostgreSQL's ($1, $2, ...).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace liga {

std::string postgresForm(const std::string& sql);

// A ranking's statements. ?1 is the level (0 for the combined ranking), ?2 the kind and
// ?3 the start of the period (0 and 0 for all time).
struct RankingSql {
    // ?4 the first row, ?5 how many: a first row (part 0) with the names ranked and how
    // many are faster than the first row's time (NULL past the end), then (part 1) the
    // rows from there: of a board name, tenths, received_at, the page's rows alone; of
    // the combined ranking name, total, received_at, t1, t2, t3, from the first row of the
    // page's first total on.
    std::string page;
    // Of a board, ?1 the name: for each level 1 to 5 the level, the name's best tenths and
    // received_at (NULL without one), how many names are faster, how many are ranked. Of
    // the combined ranking, ?1 the name: total, t1, t2, t3, received_at (NULL without a
    // line), how many lines come before it, how many are ranked.
    std::string standings;
    // Of a board, ?4 the name, ?5 how many, ?6 and ?7 the tenths and received_at of the
    // name's best: part 1 the names above (nearest first), part 2 below (nearest first),
    // each name, tenths, received_at; part 3 tenths and names of the counts from the
    // highest name above to below the name's time, part 4 from the name's time to below
    // the lowest name below.
    std::string neighbours;
    // Of a board: tenths and names, fastest first, of the times some name holds.
    std::string distribution;
};

// Of a kind of period (Period as a number): a level's board (all time: `best`,
// `time_counts`, `time_buckets`; the calendar periods: `period_best`, `ranking_counts`,
// `ranking_buckets`), and the combined ranking (`sum_best`).
const RankingSql& boardSqlOf(int kind);
const RankingSql& sumSqlOf(int kind);

// The reads of a name's pages and of the records; see the definitions for their values.
struct PlayerSql {
    std::string entries;
    std::string history;
    std::string findExact;
    std::string findPrefix;
    std::string records;
    std::string versionStamp;
};
const PlayerSql& playerSql();

// The steps of ViewsTransaction and ModerationViewsTransaction (transaction.h), by the
// name of the step.
struct StepSql {
    std::string lockName; // SQLite's; PostgreSQL's also locks the row
    std::string periodRowsOf;
    std::string sumRowOf;
    std::string putPeriodRow;
    std::string putSumRow;
    std::string addRankingCounts;
    std::string addRankingBuckets;
    std::string recordBefore;
    std::string addRecord;
    std::string dropSlowerRecordsAfter;
    std::string dropRecordsFrom;
    std::string entryOf;
    std::string fastestIn;
    std::string rankedEntriesOf;
    std::string recordsOfName;
    std::string entriesFaster;
};
const StepSql& stepSql();

// One calendar period of an older league to fill: [since, until).
struct PeriodBounds {
    int32_t kind = 0;
    int64_t since = 0;
    int64_t until = 0;
};

// The periods whose boards an older league gets when it is brought up to date at `now`:
// the current year, month and week; the store keeps the counts of no other.
std::vector<PeriodBounds> periodsToFill(int64_t now);

// What an older league's tables need to rank as a new one's: once the tables are made
// and `period_bounds (kind, since, until)` holds periodsToFill, these statements in order.
std::string viewsFillSql();

// A name as search compares it: its letters in lower case.
std::string foldedName(const std::string& name);

} // namespace liga
