// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_transaction.h"
#include "postgres_statements.h"
#include "ranking.h"

#include <functional>

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
    return run("insert_entry", {e.code, e.name, number(e.level), number(e.tenths),
                                number(e.receivedAt), number(static_cast<int64_t>(state))})
               .affected() == 1;
}

std::optional<StoredEntry> PostgresTransaction::findEntry(const std::string& code) {
    const PgRows r = run("find_entry", {code});
    if (r.count() != 1) return std::nullopt;
    return StoredEntry{r.text(0, 0), static_cast<int32_t>(r.integer(0, 1)),
                       static_cast<int32_t>(r.integer(0, 2)),
                       static_cast<EntryState>(r.integer(0, 3))};
}

std::optional<int32_t> PostgresTransaction::lockBest(int32_t level, const std::string& name) {
    const PgRows r = run("lock_best", {number(level), name});
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
    const PgRows r = run("counts", {number(level), number(tenths), number(bucket),
                                    number(int64_t{bucket} * timesPerBucket)});
    TimeCounts c{r.integer(0, 0), r.integer(0, 1)};
    // What this transaction holds back counts too.
    for (const auto& [key, delta] : held_.buckets) {
        if (key.first != level) continue;
        c.ranked += delta;
        if (key.second < bucket) c.faster += delta;
    }
    for (const auto& [key, delta] : held_.times)
        if (key.first == level && bucketOf(key.second) == bucket && key.second < tenths)
            c.faster += delta;
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
    return c_.run(name, values, until_);
}

int64_t PostgresTransaction::writeBest(const char* name, const Submission& e) {
    return run(name, {number(e.level), e.name, number(e.tenths), number(e.receivedAt)}).affected();
}

} // namespace liga
