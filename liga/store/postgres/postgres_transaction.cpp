// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_transaction.h"
#include "postgres_statements.h"
#include "postgres_views.h"
#include "postgres_views_statements.h"
#include "ranking.h"

#include <functional>
#include <iterator>

namespace liga {

namespace {

std::string number(int64_t n) {
    return std::to_string(n);
}

} // namespace

bool PostgresTransaction::barred(const std::string& name) {
    const PgRows r = run("barred", {name});
    return r.count() == 1 && r.text(0, 0) == "t";
}

bool PostgresTransaction::addEntry(const Submission& e) {
    const EntryState state = e.held ? EntryState::held : EntryState::ranked;
    std::vector<PgCall> calls{{"insert_entry",
                               {e.code, e.name, number(e.level), number(e.tenths),
                                number(e.receivedAt), number(static_cast<int64_t>(state))}}};
    // A ranked entry locks its name and its best next and reads its rankings' rows: all
    // go with it, and wait for lockName and lockBest (this transaction changes none of
    // those rows before it reads them, submitToViews). Should the code be there already,
    // the locks are held for nothing and the reads are dropped.
    if (!e.held) {
        calls.push_back(lockNameCall(e.name));
        calls.push_back(lockBestCall(e.level, e.name));
        for (const SqlCall& c : nameRowCalls(e))
            calls.push_back({postgresNameOf(*c.sql), pgTexts(c.values)});
    }
    std::vector<PgRows> answers = runAll(std::move(calls));
    const bool added = answers.front().affected() == 1;
    if (!added || e.held) return added;
    placing_ = e;
    bestAhead_ = bestOf(answers[2]);
    std::vector<SqlRows> rows;
    for (std::size_t i = 3; i < answers.size(); ++i) rows.push_back(sqlRowsOf(answers[i]));
    placingRows_ = nameRowsFrom(rows, e, periodStartsOf(e.receivedAt));
    return true;
}

std::optional<StoredEntry> PostgresTransaction::findEntry(const std::string& code) {
    const PgRows r = run("find_entry", {code});
    if (r.count() != 1) return std::nullopt;
    return StoredEntry{r.text(0, 0), static_cast<int32_t>(r.integer(0, 1)),
                       static_cast<int32_t>(r.integer(0, 2)),
                       static_cast<EntryState>(r.integer(0, 3))};
}

std::optional<int32_t> PostgresTransaction::lockBest(int32_t level, const std::string& name) {
    if (bestAhead_ && placing_ && placing_->level == level && placing_->name == name) {
        const std::optional<int32_t> best = *bestAhead_;
        bestAhead_.reset();
        return best;
    }
    return bestOf(runAfterAhead({lockBestCall(level, name)}));
}

PgCall PostgresTransaction::lockBestCall(int32_t level, const std::string& name) {
    return {"lock_best", {number(level), name}};
}

std::optional<int32_t> PostgresTransaction::bestOf(const PgRows& r) {
    if (r.count() == 0) return std::nullopt;
    return static_cast<int32_t>(r.integer(0, 0));
}

bool PostgresTransaction::addBest(const Submission& e) {
    return writeBest("insert_best", e) == 1;
}

void PostgresTransaction::improveBest(const Submission& e) {
    writeBest("update_best", e);
}

void PostgresTransaction::count(int32_t level, int32_t tenths, int64_t delta) {
    held_.times[{level, tenths}] += delta;
}

void PostgresTransaction::countBucket(int32_t level, int32_t bucket, int64_t delta) {
    held_.buckets[{level, bucket}] += delta;
}

TimeCounts PostgresTransaction::counts(int32_t level, int32_t tenths) {
    const int32_t bucket = bucketOf(tenths);
    TimeCounts c{};
    // What this transaction holds back counts too.
    for (const auto& [key, delta] : held_.buckets) {
        if (key.first != level) continue;
        c.ranked += delta;
        if (key.second < bucket) c.faster += delta;
    }
    for (const auto& [key, delta] : held_.times)
        if (key.first == level && bucketOf(key.second) == bucket && key.second < tenths)
            c.faster += delta;
    // The place is a submission's last read: what it held back is written with it.
    std::vector<PgCall> calls{{"counts",
                               {number(level), number(tenths), number(bucket),
                                number(int64_t{bucket} * timesPerBucket)}}};
    for (PgCall& w : heldCalls()) calls.push_back(std::move(w));
    const std::vector<PgRows> answers = runAll(std::move(calls));
    c.faster += answers.front().integer(0, 0);
    c.ranked += answers.front().integer(0, 1);
    return c;
}

void PostgresTransaction::recordChange(const Submission& e) {
    holdChange(static_cast<int64_t>(std::hash<std::string>{}(e.code) % changeShards), e.receivedAt);
}

std::optional<FastestEntry> PostgresTransaction::fastestEntry(int32_t level,
                                                              const std::string& name) {
    const PgRows r = run("fastest", {number(level), name});
    if (r.count() == 0) return std::nullopt;
    return FastestEntry{static_cast<int32_t>(r.integer(0, 0)), r.integer(0, 1)};
}

void PostgresTransaction::dropBest(int32_t level, const std::string& name) {
    run("drop_best", {number(level), name});
}

void PostgresTransaction::lockModeration() {
    run("lock_moderation", {});
}

bool PostgresTransaction::setBarred(const std::string& name, bool barred) {
    return run(barred ? "bar" : "unbar", {name}).affected() == 1;
}

void PostgresTransaction::deleteEntry(const std::string& code) {
    run("delete_entry", {code});
}

void PostgresTransaction::setState(const std::string& code, EntryState state) {
    run("set_state", {code, number(static_cast<int64_t>(state))});
}

void PostgresTransaction::logChange(Moderation what, const std::string& subject, int64_t at) {
    run("log_change", {number(at), number(static_cast<int64_t>(what)), subject});
    holdChange(0, at);
}

PgRows PostgresTransaction::run(const char* name, const std::vector<std::string>& values) {
    return runAfterAhead({{name, values}});
}

std::vector<PgRows> PostgresTransaction::runAll(std::vector<PgCall> calls) {
    const std::size_t before = ahead_.size();
    if (before > 0) {
        calls.insert(calls.begin(), std::make_move_iterator(ahead_.begin()),
                     std::make_move_iterator(ahead_.end()));
        ahead_.clear();
    }
    std::vector<PgRows> answers = c_.runAll(calls, until_);
    answers.erase(answers.begin(), answers.begin() + static_cast<std::ptrdiff_t>(before));
    return answers;
}

PgRows PostgresTransaction::runAfterAhead(std::vector<PgCall> calls) {
    return runAll(std::move(calls)).back();
}

int64_t PostgresTransaction::writeBest(const char* name, const Submission& e) {
    return run(name, {number(e.level), e.name, number(e.tenths), number(e.receivedAt)}).affected();
}

} // namespace liga
