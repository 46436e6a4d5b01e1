// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of ViewsTransaction and ModerationViewsTransaction (transaction.h), once for
// both stores: a store's transaction derives from ViewSteps<itself> and offers
//     SqlRows query(const std::string& sql, const std::vector<SqlValue>& values);
//     void execute(const std::string& sql, const std::vector<SqlValue>& values);
// for the statements of views_sql.h, besides lockName and lockRecords of its own. It may
// declare any step again, to do it its own way (PostgreSQL holds the writes back).
#pragma once
#include "ranking.h"
#include "transaction.h"
#include "view_reads.h"
#include "views_sql.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace liga {

// The rows of the statements below as the steps answer them.
NameRows nameRowsOf(const SqlRows& r, int32_t level);
std::optional<TimedBest> timedBestOf(const SqlRows& r);
std::optional<RecordMark> recordMarkOf(const SqlRows& r);
std::vector<RecordMark> recordMarksOf(const SqlRows& r);
std::vector<EntryRow> seenEntriesOf(const SqlRows& r);
std::array<std::optional<TimedBest>, 3> summedBestsOf(const SqlRows& r);
std::optional<SumBest> sumBestOf(const SqlRows& r);
std::vector<RankingKey> rankingKeysOf(const SqlRows& r);

template <class Tx> class ViewSteps {
public:
    NameRows nameRows(const Submission& e, const std::array<int64_t, 3>& since) {
        return nameRowsOf(tx().query(sql().nameRows, {e.name, int64_t{e.level}, since[0], since[1],
                                                      since[2], e.receivedAt, e.code}),
                          e.level);
    }
    void putPeriodBest(const RankingKey& k, const std::string& name, const TimedBest& b) {
        tx().execute(sql().putPeriodBest, {name, int64_t{k.level}, int64_t{k.kind}, k.since,
                                           int64_t{b.tenths}, b.receivedAt});
    }
    void dropPeriodBest(const RankingKey& k, const std::string& name) {
        tx().execute(sql().dropPeriodBest, {name, int64_t{k.level}, int64_t{k.kind}, k.since});
    }
    void putSum(const RankingKey& k, const std::string& name, const SumBest& s) {
        tx().execute(sql().putSum,
                     {name, int64_t{k.kind}, k.since, int64_t{s.total()}, int64_t{s.tenths[0]},
                      int64_t{s.tenths[1]}, int64_t{s.tenths[2]}, s.receivedAt});
    }
    void dropSum(const RankingKey& k, const std::string& name) {
        tx().execute(sql().dropSum, {name, int64_t{k.kind}, k.since});
    }
    void countRanking(const RankingKey& k, int32_t tenths, int64_t delta) {
        const std::vector<SqlValue> key{int64_t{k.kind}, k.since, int64_t{k.level}};
        for (const auto& [text, at] : {std::pair{&sql().countRanking, tenths},
                                       std::pair{&sql().countRankingBucket, bucketOf(tenths)}}) {
            std::vector<SqlValue> values = key;
            values.insert(values.end(), {int64_t{at}, delta});
            tx().execute(*text, values);
        }
    }
    std::optional<RecordMark> recordBefore(int32_t level, int64_t at, const std::string& code) {
        return recordMarkOf(tx().query(sql().recordBefore, {int64_t{level}, at, code}));
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
        std::vector<EntryRow> found = seenEntriesOf(tx().query(sql().entryOf, {code}));
        if (found.empty()) return std::nullopt;
        return std::move(found.front());
    }
    std::optional<TimedBest> periodBestOf(const RankingKey& k, const std::string& name) {
        return timedBestOf(
            tx().query(sql().periodBestOf, {name, int64_t{k.level}, int64_t{k.kind}, k.since}));
    }
    std::optional<TimedBest> fastestIn(int32_t level, const std::string& name, int64_t from,
                                       int64_t until) {
        return timedBestOf(tx().query(sql().fastestIn, {int64_t{level}, name, from, until}));
    }
    std::array<std::optional<TimedBest>, 3> summedBests(const RankingKey& k,
                                                        const std::string& name) {
        return summedBestsOf(tx().query(sql().summedBests, {name, int64_t{k.kind}, k.since}));
    }
    std::optional<SumBest> sumOf(const RankingKey& k, const std::string& name) {
        return sumBestOf(tx().query(sql().sumOf, {name, int64_t{k.kind}, k.since}));
    }
    std::vector<RankingKey> rankingsOf(const std::string& name) {
        return rankingKeysOf(tx().query(sql().rankingsOf, {name}));
    }
    std::vector<EntryRow> rankedEntriesOf(const std::string& name) {
        return seenEntriesOf(tx().query(sql().rankedEntriesOf, {name}));
    }
    std::vector<RecordMark> recordsOfName(const std::string& name) {
        return recordMarksOf(tx().query(sql().recordsOfName, {name}));
    }
    std::vector<EntryRow> entriesFaster(int32_t level, int32_t bound) {
        return seenEntriesOf(tx().query(sql().entriesFaster, {int64_t{level}, int64_t{bound}}));
    }

private:
    Tx& tx() { return static_cast<Tx&>(*this); }
    static const StepSql& sql() { return stepSql(); }
};

} // namespace liga
