// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The PostgreSQL transaction's part of the rankings beside `best` and the records, and
// the writes it held back.
#include "postgres_transaction.h"
#include "postgres_views.h"
#include "postgres_views_statements.h"
#include "ranking.h"

namespace liga {

namespace {

// Columns of held-back rows, each as an array in PostgreSQL's text form.
class Columns {
public:
    explicit Columns(std::size_t n) : text_(n) {}
    Columns& add(std::size_t column, int64_t n) { return put(column, std::to_string(n)); }
    Columns& add(std::size_t column, const std::string& s) {
        std::string quoted = "\"";
        for (const char c : s) {
            if (c == '"' || c == '\\') quoted += '\\';
            quoted += c;
        }
        return put(column, quoted + '"');
    }
    bool empty() const { return text_.front().empty(); }
    std::vector<std::string> arrays() const {
        std::vector<std::string> a;
        for (const std::string& t : text_) a.push_back("{" + t + "}");
        return a;
    }

private:
    Columns& put(std::size_t column, const std::string& value) {
        if (!text_[column].empty()) text_[column] += ',';
        text_[column] += value;
        return *this;
    }
    std::vector<std::string> text_;
};

void callIfAny(std::vector<PgCall>& calls, const char* name, const Columns& c) {
    if (!c.empty()) calls.push_back({name, c.arrays()});
}

} // namespace

SqlRows PostgresTransaction::query(const std::string& sql, const std::vector<SqlValue>& values) {
    std::vector<PgCall> calls;
    // The rankings it reads hold what this transaction held back.
    flushRankings(calls);
    calls.push_back({postgresNameOf(sql), pgTexts(values)});
    return sqlRowsOf(c_.runAll(calls, until_).back());
}

void PostgresTransaction::execute(const std::string& sql, const std::vector<SqlValue>& values) {
    c_.run(postgresNameOf(sql), pgTexts(values), until_);
}

void PostgresTransaction::lockName(const std::string& name) {
    run("lock_name", {foldedName(name), name});
}

void PostgresTransaction::lockRecords() {
    run("lock_records", {});
}

void PostgresTransaction::putPeriodBest(const RankingKey& k, const std::string& name,
                                        const TimedBest& best) {
    held_.periodBests[{name, k.level, k.kind, k.since}] = best;
}

void PostgresTransaction::dropPeriodBest(const RankingKey& k, const std::string& name) {
    held_.periodBests[{name, k.level, k.kind, k.since}] = std::nullopt;
}

void PostgresTransaction::putSum(const RankingKey& k, const std::string& name, const SumBest& sum) {
    held_.sums[{name, k.kind, k.since}] = sum;
}

void PostgresTransaction::dropSum(const RankingKey& k, const std::string& name) {
    held_.sums[{name, k.kind, k.since}] = std::nullopt;
}

void PostgresTransaction::countRanking(const RankingKey& k, int32_t tenths, int64_t delta) {
    held_.rankingTimes[{k.kind, k.since, k.level, tenths}] += delta;
    held_.rankingBuckets[{k.kind, k.since, k.level, bucketOf(tenths)}] += delta;
}

void PostgresTransaction::holdChange(int64_t shard, int64_t at) {
    auto& [n, when] = held_.changes[shard];
    ++n;
    when = std::max(when, at);
}

void PostgresTransaction::flushRankings(std::vector<PgCall>& calls) {
    Columns put(6), drop(4);
    for (const auto& [key, best] : held_.periodBests) {
        const auto& [name, level, kind, since] = key;
        Columns& c = best ? put : drop;
        c.add(0, name).add(1, level).add(2, kind).add(3, since);
        if (best) put.add(4, best->tenths).add(5, best->receivedAt);
    }
    callIfAny(calls, "flush_period_put", put);
    callIfAny(calls, "flush_period_drop", drop);
    Columns putSum(8), dropSum(3);
    for (const auto& [key, sum] : held_.sums) {
        const auto& [name, kind, since] = key;
        Columns& c = sum ? putSum : dropSum;
        c.add(0, name).add(1, kind).add(2, since);
        if (sum)
            putSum.add(3, sum->total())
                .add(4, sum->tenths[0])
                .add(5, sum->tenths[1])
                .add(6, sum->tenths[2])
                .add(7, sum->receivedAt);
    }
    callIfAny(calls, "flush_sum_put", putSum);
    callIfAny(calls, "flush_sum_drop", dropSum);
    held_.periodBests.clear();
    held_.sums.clear();
}

void PostgresTransaction::flush() {
    std::vector<PgCall> calls;
    for (const auto& [held, name] :
         {std::pair{&held_.times, "flush_times"}, std::pair{&held_.buckets, "flush_buckets"}}) {
        Columns c(3);
        for (const auto& [key, delta] : *held)
            if (delta != 0) c.add(0, key.first).add(1, key.second).add(2, delta);
        callIfAny(calls, name, c);
    }
    flushRankings(calls);
    for (const auto& [held, name] : {std::pair{&held_.rankingTimes, "flush_ranking_counts"},
                                     std::pair{&held_.rankingBuckets, "flush_ranking_buckets"}}) {
        Columns c(5);
        for (const auto& [key, delta] : *held) {
            if (delta == 0) continue;
            const auto& [kind, since, level, time] = key;
            c.add(0, kind).add(1, since).add(2, level).add(3, time).add(4, delta);
        }
        callIfAny(calls, name, c);
    }
    for (const auto& [shard, change] : held_.changes)
        calls.push_back(
            {"flush_changes",
             {std::to_string(shard), std::to_string(change.first), std::to_string(change.second)}});
    held_ = {};
    if (!calls.empty()) c_.runAll(calls, until_);
}

} // namespace liga
