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

SumBest sumAt(const SqlRows& r, std::size_t i, std::size_t column) {
    return {{r.tenths(i, column), r.tenths(i, column + 1), r.tenths(i, column + 2)},
            r.integer(i, column + 3)};
}

std::size_t summedIndex(int32_t level) {
    return static_cast<std::size_t>(level - firstSummedLevel);
}

} // namespace

NameRows nameRowsOf(const SqlRows& r, int32_t level) {
    // part, level, kind, since, tenths, received_at, t1, t2, t3, code
    NameRows rows;
    for (std::size_t i = 0; i < r.count(); ++i) {
        const int64_t part = r.integer(i, 0);
        const int32_t rowLevel = r.tenths(i, 1);
        const auto kind = static_cast<std::size_t>(r.integer(i, 2));
        if (part == 4) {
            rows.recordBefore = RecordMark{r.text(i, 9), rowLevel, r.tenths(i, 4), r.integer(i, 5)};
        } else if (part == 3) {
            rows.sums[kind] =
                SumBest{{r.tenths(i, 6), r.tenths(i, 7), r.tenths(i, 8)}, r.integer(i, 5)};
        } else {
            if (part == 1 && rowLevel == level) rows.periodBest[kind - 1] = timedAt(r, i, 4);
            if (summedLevel(rowLevel)) rows.summed[kind][summedIndex(rowLevel)] = timedAt(r, i, 4);
        }
    }
    return rows;
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

std::array<std::optional<TimedBest>, 3> summedBestsOf(const SqlRows& r) {
    std::array<std::optional<TimedBest>, 3> bests;
    for (std::size_t i = 0; i < r.count(); ++i)
        bests[summedIndex(r.tenths(i, 0))] = timedAt(r, i, 1);
    return bests;
}

std::optional<SumBest> sumBestOf(const SqlRows& r) {
    if (r.count() == 0) return std::nullopt;
    return sumAt(r, 0, 0);
}

std::vector<RankingKey> rankingKeysOf(const SqlRows& r) {
    std::vector<RankingKey> keys;
    for (std::size_t i = 0; i < r.count(); ++i)
        keys.push_back({r.tenths(i, 0), r.integer(i, 1), r.tenths(i, 2)});
    return keys;
}

} // namespace liga
