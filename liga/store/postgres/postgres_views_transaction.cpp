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

// Columns of held-back rows, each as an array in PostgreSQL's text form ("{1,2}").
class Columns {
public:
    explicit Columns(std::size_t n) : text_(n) {}
    Columns& add(std::size_t column, int64_t n) {
        if (!text_[column].empty()) text_[column] += ',';
        text_[column] += std::to_string(n);
        return *this;
    }
    bool empty() const { return text_.front().empty(); }
    std::vector<std::string> arrays() const {
        std::vector<std::string> a;
        for (const std::string& t : text_) a.push_back("{" + t + "}");
        return a;
    }

private:
    std::vector<std::string> text_;
};

} // namespace

NameRows PostgresTransaction::nameRows(const Submission& e, const std::array<int64_t, 3>& since) {
    if (placingRows_ && placing_ && placing_->code == e.code) {
        NameRows rows = std::move(*placingRows_);
        placingRows_.reset();
        return rows;
    }
    return ViewSteps<PostgresTransaction>::nameRows(e, since);
}

SqlRows PostgresTransaction::query(const std::string& sql, const std::vector<SqlValue>& values) {
    return sqlRowsOf(runAfterAhead({{postgresNameOf(sql), pgTexts(values)}}));
}

void PostgresTransaction::execute(const std::string& sql, const std::vector<SqlValue>& values) {
    runAfterAhead({{postgresNameOf(sql), pgTexts(values)}});
}

void PostgresTransaction::lockName(const std::string& name) {
    if (placing_ && placing_->name == name) return; // locked with the entry (addEntry)
    ahead_.push_back(lockNameCall(name));
}

PgCall PostgresTransaction::lockNameCall(const std::string& name) {
    return {"lock_name", {foldedName(name), name}};
}

void PostgresTransaction::lockRecords() {
    run("lock_records", {});
}

void PostgresTransaction::holdChange(int64_t shard, int64_t at) {
    auto& [n, when] = held_.changes[shard];
    ++n;
    when = std::max(when, at);
}

std::vector<PgCall> PostgresTransaction::heldCalls() {
    std::vector<PgCall> calls;
    for (const auto& [held, name] :
         {std::pair{&held_.times, "flush_times"}, std::pair{&held_.buckets, "flush_buckets"}}) {
        Columns c(3);
        for (const auto& [key, delta] : *held)
            if (delta != 0) c.add(0, key.first).add(1, key.second).add(2, delta);
        if (!c.empty()) calls.push_back({name, c.arrays()});
    }
    for (const SqlCall& c : heldWrites())
        calls.push_back({postgresNameOf(*c.sql), pgTexts(c.values)});
    for (const auto& [shard, change] : held_.changes)
        calls.push_back(
            {"flush_changes",
             {std::to_string(shard), std::to_string(change.first), std::to_string(change.second)}});
    held_ = {};
    return calls;
}

void PostgresTransaction::flush() {
    std::vector<PgCall> calls = heldCalls();
    if (!calls.empty() || !ahead_.empty()) runAll(std::move(calls));
}

} // namespace liga
