// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "sqlite_connection.h"
#include "transaction.h"
#include "view_steps.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace liga {

// The steps of a submission or a moderation on the writing connection, inside BEGIN
// IMMEDIATE: the file's write lock is held throughout, so no other writer comes between
// them.
class SqliteTransaction : public ViewSteps<SqliteTransaction> {
public:
    explicit SqliteTransaction(SqliteConnection& c) : c_(c) {}

    SqliteStatement statement(const char* sql) { return SqliteStatement(c_, sql); }

    bool barred(const std::string& name);
    bool addEntry(const Submission& e);
    std::optional<StoredEntry> findEntry(const std::string& code);
    std::optional<int32_t> lockBest(int32_t level, const std::string& name);
    bool addBest(const Submission& e);
    void improveBest(const Submission& e);
    void count(int32_t level, int32_t tenths, int64_t delta);
    void countBucket(int32_t level, int32_t bucket, int64_t delta);
    TimeCounts counts(int32_t level, int32_t tenths);
    void recordChange(const Submission&);
    // In a file of its own (client_limit.cpp).
    bool takeToken(const SharedLimit& limit);

    std::optional<FastestEntry> fastestEntry(int32_t level, const std::string& name);
    void dropBest(int32_t level, const std::string& name);
    // The file's write lock, taken by BEGIN IMMEDIATE, keeps everybody else out.
    void lockModeration() {}
    bool setBarred(const std::string& name, bool barred);
    void deleteEntry(const std::string& code);
    void setState(const std::string& code, EntryState state);
    void logChange(Moderation what, const std::string& subject, int64_t at);

    // The rankings beside `best` and the records (view_steps.h, sqlite_views_transaction.cpp).
    SqlRows query(const std::string& sql, const std::vector<SqlValue>& values);
    void execute(const std::string& sql, const std::vector<SqlValue>& values);
    void lockName(const std::string& name);
    // The file's write lock keeps every other writer out.
    void lockRecords() {}

private:
    void adjust(const char* sql, int32_t level, int32_t key, int64_t delta);
    void writeBest(const char* sql, const Submission& e);

    SqliteConnection& c_;
};

static_assert(ModerationTransaction<SqliteTransaction>);

} // namespace liga
