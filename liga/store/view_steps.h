// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of ViewsTransaction and ModerationViewsTransaction (transaction.h), once for
// both stores: a store's transaction derives from ViewSteps<itself> and offers
//     SqlRows query(const std::string& sql, const std::vector<SqlValue>& values);
//     void execute(const std::string& sql, const std::vector<SqlValue>& values);
// for the statements of views_sql.h, and lockName and lockRecords of its own, and writes
// heldWrites() before it commits. It may declare a step again, to do it its own way.
#pragma once
#include "ranking.h"
#include "transaction.h"
#include "view_reads.h"
#include "views_sql.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace liga {

// The count changes of the rankings beside `best` that a transaction makes, held back and
// merged into one row per level and time (or sum), and one per level and bucket: a row
// holds the counts of every period (views_sql.h's addRankingCounts).
class RankingCounts {
public:
    void add(const RankingKey& key, int32_t tenths, int64_t delta);
    // The statements that write them, rows in ascending order of key; empties the hold.
    std::vector<SqlCall> calls();

private:
    // (bucket rather than time, level, time or bucket, kind, since): delta
    std::map<std::tuple<bool, int32_t, int32_t, int32_t, int64_t>, int64_t> deltas_;
};

// A transaction's changes of names' lines in the period boards and the combined ranking,
// held back and merged into the one row that a name has per level, and the one it has in
// the combined ranking, each with a column set per period.
class RankingRows {
public:
    void putBest(const RankingKey& key, const std::string& name, std::optional<TimedBest> best);
    void putSum(const RankingKey& key, const std::string& name, std::optional<SumBest> sum);
    bool empty() const { return bests_.empty() && sums_.empty(); }
    // The statements that write them; empties the hold.
    std::vector<SqlCall> calls();

private:
    template <class Line> using Change = std::optional<std::pair<int64_t, std::optional<Line>>>;
    std::map<std::pair<std::string, int32_t>, std::array<Change<TimedBest>, 3>> bests_;
    std::map<std::string, std::array<Change<SumBest>, 4>> sums_;
};

// The statements that read what a submission's rankings start from (NameRows), and the
// NameRows that their answers make.
std::vector<SqlCall> nameRowCalls(const Submission& e);
NameRows nameRowsFrom(const std::vector<SqlRows>& answers, const Submission& e,
                      const std::array<int64_t, 3>& since);

// The answers of the steps' reads.
std::optional<TimedBest> timedBestOf(const SqlRows& r);
std::optional<TimedBest> periodBestIn(const SqlRows& periodRows, const RankingKey& key);
std::array<std::optional<TimedBest>, 3> summedBestsIn(const SqlRows& periodRows,
                                                      const RankingKey& key);
std::optional<SumBest> sumIn(const SqlRows& sumRow, const RankingKey& key);
std::vector<RankingKey> rankingsIn(const SqlRows& periodRows, const SqlRows& sumRow);
std::optional<RecordMark> recordMarkOf(const SqlRows& r);
std::vector<RecordMark> recordMarksOf(const SqlRows& r);
std::vector<EntryRow> seenEntriesOf(const SqlRows& r);

template <class Tx> class ViewSteps {
public:
    NameRows nameRows(const Submission& e, const std::array<int64_t, 3>& since) {
        std::vector<SqlRows> answers;
        for (const SqlCall& c : nameRowCalls(e)) answers.push_back(read(*c.sql, c.values));
        return nameRowsFrom(answers, e, since);
    }
    void putPeriodBest(const RankingKey& k, const std::string& name, const TimedBest& b) {
        rows_.putBest(k, name, b);
    }
    void dropPeriodBest(const RankingKey& k, const std::string& name) {
        rows_.putBest(k, name, std::nullopt);
    }
    void putSum(const RankingKey& k, const std::string& name, const SumBest& s) {
        rows_.putSum(k, name, s);
    }
    void dropSum(const RankingKey& k, const std::string& name) {
        rows_.putSum(k, name, std::nullopt);
    }
    void countRanking(const RankingKey& k, int32_t tenths, int64_t delta) {
        counts_.add(k, tenths, delta);
    }
    std::optional<RecordMark> recordBefore(int32_t level, int64_t at, const std::string& code) {
        return recordMarkOf(read(sql().recordBefore, {int64_t{level}, at, code}));
    }
    void addRecord(const RecordMark& r, const std::string& name) {
        tx().execute(sql().addRecord,
                     {int64_t{r.level}, r.receivedAt, r.code, name, int64_t{r.tenths}});
    }
    void dropSlowerRecordsAfter(const RecordMark& r) {
        tx().execute(sql().dropSlowerRecordsAfter,
                     {int64_t{r.level}, r.receivedAt, r.code, int64_t{r.tenths}});
    }
    void dropRecordsFrom(const RecordMark& r) {
        tx().execute(sql().dropRecordsFrom, {int64_t{r.level}, r.receivedAt, r.code});
    }
    std::optional<EntryRow> entryOf(const std::string& code) {
        std::vector<EntryRow> found = seenEntriesOf(read(sql().entryOf, {code}));
        if (found.empty()) return std::nullopt;
        return std::move(found.front());
    }
    std::optional<TimedBest> periodBestOf(const RankingKey& k, const std::string& name) {
        return periodBestIn(read(sql().periodRowsOf, {name}), k);
    }
    std::optional<TimedBest> fastestIn(int32_t level, const std::string& name, int64_t from,
                                       int64_t until) {
        return timedBestOf(read(sql().fastestIn, {int64_t{level}, name, from, until}));
    }
    std::array<std::optional<TimedBest>, 3> summedBests(const RankingKey& k,
                                                        const std::string& name) {
        return summedBestsIn(read(sql().periodRowsOf, {name}), k);
    }
    std::optional<SumBest> sumOf(const RankingKey& k, const std::string& name) {
        return sumIn(read(sql().sumRowOf, {name}), k);
    }
    std::vector<RankingKey> rankingsOf(const std::string& name) {
        return rankingsIn(read(sql().periodRowsOf, {name}), read(sql().sumRowOf, {name}));
    }
    std::vector<EntryRow> rankedEntriesOf(const std::string& name) {
        return seenEntriesOf(read(sql().rankedEntriesOf, {name}));
    }
    std::vector<RecordMark> recordsOfName(const std::string& name) {
        return recordMarksOf(read(sql().recordsOfName, {name}));
    }
    std::vector<EntryRow> entriesFaster(int32_t level, int32_t bound) {
        return seenEntriesOf(read(sql().entriesFaster, {int64_t{level}, int64_t{bound}}));
    }

protected:
    // The statements that write what the steps held back, rows before counts; empties
    // the hold.
    std::vector<SqlCall> heldWrites() {
        std::vector<SqlCall> calls = rows_.calls();
        for (SqlCall& c : counts_.calls()) calls.push_back(std::move(c));
        return calls;
    }

private:
    Tx& tx() { return static_cast<Tx&>(*this); }
    static const StepSql& sql() { return stepSql(); }
    // A read sees the lines held back so far.
    SqlRows read(const std::string& statement, const std::vector<SqlValue>& values) {
        if (!rows_.empty())
            for (const SqlCall& c : rows_.calls()) tx().execute(*c.sql, c.values);
        return tx().query(statement, values);
    }
    RankingRows rows_;
    RankingCounts counts_;
};

} // namespace liga
