// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pg_connection.h"
#include "transaction.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace liga {

// The steps of a submission or a moderation as statements of one transaction. Rows are
// locked in the order entries, best, time_counts by ascending time, changes, in every
// transaction.
class PostgresTransaction {
public:
    PostgresTransaction(PgConnection& c, Deadline until) : c_(c), until_(until) {}

    bool barred(const std::string& name);
    bool addEntry(const Submission& e);
    std::optional<StoredEntry> findEntry(const std::string& code);
    std::optional<int32_t> lockBest(int32_t level, const std::string& name);
    bool addBest(const Submission& e);
    void improveBest(const Submission& e);
    void count(int32_t level, int32_t tenths, int64_t delta);
    void countBucket(int32_t level, int32_t bucket, int64_t delta);
    TimeCounts counts(int32_t level, int32_t tenths);
    void recordChange(const Submission& e);
    // In a file of its own (client_limit.cpp).
    bool takeToken(const SharedLimit& limit);

    std::optional<FastestEntry> fastestEntry(int32_t level, const std::string& name);
    void dropBest(int32_t level, const std::string& name);
    void lockModeration();
    bool setBarred(const std::string& name, bool barred);
    void deleteEntry(const std::string& code);
    void setState(const std::string& code, EntryState state);
    void logChange(Moderation what, const std::string& subject, int64_t at);

private:
    PgRows run(const char* name, const std::vector<std::string>& values);
    int64_t writeBest(const char* name, const Submission& e);

    PgConnection& c_;
    Deadline until_;
};

static_assert(ModerationTransaction<PostgresTransaction>);

} // namespace liga
