// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "view_steps.h"
#include "views_ranking.h"

namespace liga {

namespace {

TimedBest timedAt(const SqlRows& r, std::size_t i, std::size_t column) {
    return {r.tenths(i, column), r.integer(i, column + 1)};
}

RecordMark markAt(const SqlRows& r, std::size_t i) {
    return {r.text(i, 0), r.tenths(i, 1), r.tenths(i, 2), r.integer(i, 3)};
}

std::size_t summedIndex(int32_t level) {
    return static_cast<std::size_t>(level - firstSummedLevel);
}

// Of periodRowsOf's row i (part 1), the best of period `kind` (1 to 3) when it is of the
// period that began at `since`.
std::optional<TimedBest> periodColumn(const SqlRows& r, std::size_t i, int32_t kind,
                                      int64_t since) {
    const auto at = static_cast<std::size_t>(2 + 3 * (kind - 1));
    if (r.integer(i, at) != since) return std::nullopt;
    return timedAt(r, i, at + 1);
}

// Of sumRowOf's row, the line of period `kind` (0 to 3) when it is of the period that
// began at `since`.
std::optional<SumBest> sumColumn(const SqlRows& r, int32_t kind, int64_t since) {
    const auto at = static_cast<std::size_t>(6 * kind);
    if (r.count() == 0 || r.integer(0, at) != since) return std::nullopt;
    return SumBest{{r.tenths(0, at + 2), r.tenths(0, at + 3), r.tenths(0, at + 4)},
                   r.integer(0, at + 5)};
}

} // namespace

void RankingRows::putBest(const RankingKey& key, const std::string& name,
                          std::optional<TimedBest> best) {
    bests_[{name, key.level}][static_cast<std::size_t>(key.kind - 1)] = std::pair{key.since, best};
}

void RankingRows::putSum(const RankingKey& key, const std::string& name,
                         std::optional<SumBest> sum) {
    sums_[name][static_cast<std::size_t>(key.kind)] = std::pair{key.since, sum};
}

std::vector<SqlCall> RankingRows::calls() {
    std::vector<SqlCall> calls;
    // Of each period whether it changes, then its columns; a line that goes has since -1.
    for (const auto& [key, changes] : bests_) {
        std::vector<SqlValue> values{key.first, int64_t{key.second}};
        for (const auto& c : changes) {
            const bool line = c && c->second;
            values.insert(values.end(), {int64_t{c ? 1 : 0}, line ? c->first : -1,
                                         int64_t{line ? c->second->tenths : 0},
                                         line ? c->second->receivedAt : 0});
        }
        calls.push_back({&stepSql().putPeriodRow, std::move(values)});
    }
    for (const auto& [name, changes] : sums_) {
        std::vector<SqlValue> values{name};
        for (const auto& c : changes) {
            const std::optional<SumBest> sum = c ? c->second : std::nullopt;
            values.insert(values.end(),
                          {int64_t{c ? 1 : 0}, sum ? c->first : -1, int64_t{sum ? sum->total() : 0},
                           int64_t{sum ? sum->tenths[0] : 0}, int64_t{sum ? sum->tenths[1] : 0},
                           int64_t{sum ? sum->tenths[2] : 0}, sum ? sum->receivedAt : 0});
        }
        calls.push_back({&stepSql().putSumRow, std::move(values)});
    }
    bests_.clear();
    sums_.clear();
    return calls;
}

std::vector<SqlCall> nameRowCalls(const Submission& e) {
    std::vector<SqlCall> calls{{&stepSql().periodRowsOf, {e.name}},
                               {&stepSql().recordBefore, {int64_t{e.level}, e.receivedAt, e.code}}};
    if (summedLevel(e.level)) calls.push_back({&stepSql().sumRowOf, {e.name}});
    return calls;
}

NameRows nameRowsFrom(const std::vector<SqlRows>& answers, const Submission& e,
                      const std::array<int64_t, 3>& since) {
    NameRows rows;
    const SqlRows& periods = answers[0];
    for (std::size_t i = 0; i < periods.count(); ++i) {
        const int32_t level = periods.tenths(i, 1);
        if (periods.integer(i, 0) == 2) {
            rows.summed[0][summedIndex(level)] = timedAt(periods, i, 3);
            continue;
        }
        for (int32_t kind = 1; kind <= 3; ++kind) {
            const std::optional<TimedBest> best =
                periodColumn(periods, i, kind, since[static_cast<std::size_t>(kind - 1)]);
            if (level == e.level) rows.periodBest[static_cast<std::size_t>(kind - 1)] = best;
            if (summedLevel(level))
                rows.summed[static_cast<std::size_t>(kind)][summedIndex(level)] = best;
        }
    }
    rows.recordBefore = recordMarkOf(answers[1]);
    if (answers.size() > 2)
        for (int32_t kind = 0; kind <= 3; ++kind)
            rows.sums[static_cast<std::size_t>(kind)] = sumColumn(
                answers[2], kind, kind == 0 ? 0 : since[static_cast<std::size_t>(kind - 1)]);
    return rows;
}

std::optional<TimedBest> periodBestIn(const SqlRows& r, const RankingKey& key) {
    for (std::size_t i = 0; i < r.count(); ++i)
        if (r.integer(i, 0) == 1 && r.tenths(i, 1) == key.level)
            return periodColumn(r, i, key.kind, key.since);
    return std::nullopt;
}

std::array<std::optional<TimedBest>, 3> summedBestsIn(const SqlRows& r, const RankingKey& key) {
    std::array<std::optional<TimedBest>, 3> bests;
    for (std::size_t i = 0; i < r.count(); ++i) {
        const int32_t level = r.tenths(i, 1);
        if (!summedLevel(level)) continue;
        const bool allTime = r.integer(i, 0) == 2;
        if (allTime && key.kind == 0) bests[summedIndex(level)] = timedAt(r, i, 3);
        if (!allTime && key.kind > 0)
            bests[summedIndex(level)] = periodColumn(r, i, key.kind, key.since);
    }
    return bests;
}

std::optional<SumBest> sumIn(const SqlRows& r, const RankingKey& key) {
    return sumColumn(r, key.kind, key.since);
}

std::vector<RankingKey> rankingsIn(const SqlRows& periodRows, const SqlRows& sumRow) {
    std::vector<RankingKey> keys;
    for (std::size_t i = 0; i < periodRows.count(); ++i) {
        if (periodRows.integer(i, 0) != 1) continue;
        for (int32_t kind = 1; kind <= 3; ++kind) {
            const int64_t since =
                periodRows.integer(i, static_cast<std::size_t>(2 + 3 * (kind - 1)));
            if (since >= 0) keys.push_back({kind, since, periodRows.tenths(i, 1)});
        }
    }
    for (int32_t kind = 0; kind <= 3 && sumRow.count(); ++kind) {
        const int64_t since = sumRow.integer(0, static_cast<std::size_t>(6 * kind));
        if (since >= 0) keys.push_back({kind, since, sumRankingLevel});
    }
    return keys;
}

void RankingCounts::add(const RankingKey& key, int32_t tenths, int64_t delta) {
    deltas_[{false, key.level, tenths, key.kind, key.since}] += delta;
    deltas_[{true, key.level, bucketOf(tenths), key.kind, key.since}] += delta;
}

std::vector<SqlCall> RankingCounts::calls() {
    std::vector<SqlCall> calls;
    // One statement per row, unless a transaction changed one kind in two periods (a
    // moderation of an older entry): then one for each.
    SqlCall* open = nullptr;
    std::tuple<bool, int32_t, int32_t> row{};
    for (const auto& [key, delta] : deltas_) {
        const auto& [bucket, level, time, kind, since] = key;
        if (delta == 0) continue;
        // level, time, all time's delta, then each period's start and delta
        const auto deltaAt = static_cast<std::size_t>(2 + 2 * kind);
        const bool same = open && row == std::tuple{bucket, level, time};
        if (!same || open->values[deltaAt].number != 0) {
            const std::string& sql =
                bucket ? stepSql().addRankingBuckets : stepSql().addRankingCounts;
            calls.push_back({&sql,
                             {int64_t{level}, int64_t{time}, int64_t{0}, int64_t{0}, int64_t{0},
                              int64_t{0}, int64_t{0}, int64_t{0}, int64_t{0}}});
            open = &calls.back();
            row = {bucket, level, time};
        }
        if (kind > 0) open->values[deltaAt - 1] = since;
        open->values[deltaAt] = delta;
    }
    deltas_.clear();
    return calls;
}

std::optional<TimedBest> timedBestOf(const SqlRows& r) {
    if (r.count() == 0) return std::nullopt;
    return timedAt(r, 0, 0);
}

std::optional<RecordMark> recordMarkOf(const SqlRows& r) {
    if (r.count() == 0) return std::nullopt;
    return markAt(r, 0);
}

std::vector<RecordMark> recordMarksOf(const SqlRows& r) {
    std::vector<RecordMark> marks;
    for (std::size_t i = 0; i < r.count(); ++i) marks.push_back(markAt(r, i));
    return marks;
}

std::vector<EntryRow> seenEntriesOf(const SqlRows& r) {
    std::vector<EntryRow> entries;
    for (std::size_t i = 0; i < r.count(); ++i)
        entries.push_back({r.text(i, 0), r.text(i, 1), r.tenths(i, 2), r.tenths(i, 3),
                           r.integer(i, 4), static_cast<EntryState>(r.integer(i, 5))});
    return entries;
}

} // namespace liga
