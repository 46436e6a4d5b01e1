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
    run(delta > 0 ? "add_count" : "drop_count", {number(level), number(tenths)});
}

void PostgresTransaction::countBucket(int32_t level, int32_t bucket, int64_t delta) {
    run(delta > 0 ? "add_bucket" : "drop_bucket", {number(level), number(bucket)});
}

TimeCounts PostgresTransaction::counts(int32_t level, int32_t tenths) {
    const PgRows r = run("counts", {number(level), number(tenths), number(bucketOf(tenths)),
                                    number(int64_t{bucketOf(tenths)} * timesPerBucket)});
    return {r.integer(0, 0), r.integer(0, 1)};
}

void PostgresTransaction::recordChange(const Submission& e) {
    run("record_change",
        {number(static_cast<int64_t>(std::hash<std::string>{}(e.code) % changeShards))});
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
    run("record_change", {"0"});
}

PgRows PostgresTransaction::run(const char* name, const std::vector<std::string>& values) {
    return c_.run(name, values, until_);
}

int64_t PostgresTransaction::writeBest(const char* name, const Submission& e) {
    return run(name, {number(e.level), e.name, number(e.tenths), number(e.receivedAt)}).affected();
}

} // namespace liga
