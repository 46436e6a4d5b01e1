// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pg_connection.h"
#include "transaction.h"
#include "view_steps.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace liga {

// The steps of a submission or a moderation as statements of one transaction. Rows are
// locked in the order entries, names, best, records, then what the transaction held back
// (below) table by table in ascending order of key, changes last, in every transaction.
//
// The changes of counts, of the rankings beside `best` and of the change count are held
// back and written by flush(), which the store calls before COMMIT, at once and in a
// single round trip: so the hot count rows stay locked only for the transaction's last
// moment, and a submission costs no more round trips than it did before those rankings.
// Its reads see what it held back: counts() adds it, and a read of the rankings writes
// their lines first (view_steps.h).
class PostgresTransaction : public ViewSteps<PostgresTransaction> {
public:
    // `begin`: the statements that begin the transaction, when the pool has not.
    PostgresTransaction(PgConnection& c, Deadline until, std::vector<PgCall> begin = {})
        : c_(c), until_(until), ahead_(std::move(begin)) {}

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

    // The rankings beside `best` and the records (view_steps.h, postgres_views_transaction.cpp).
    // A new entry's name lock, best lock and rows go with the entry (addEntry): one round
    // trip for them all; otherwise the name's lock goes with the next statement.
    NameRows nameRows(const Submission& e, const std::array<int64_t, 3>& since);
    SqlRows query(const std::string& sql, const std::vector<SqlValue>& values);
    void execute(const std::string& sql, const std::vector<SqlValue>& values);
    void lockName(const std::string& name);
    void lockRecords();
    // Writes what the transaction held back.
    void flush();

private:
    // What the transaction holds back besides the steps' writes, by key in the order the
    // rows are written.
    struct Held {
        std::map<std::pair<int32_t, int32_t>, int64_t> times, buckets; // (level, time)
        std::map<int64_t, std::pair<int64_t, int64_t>> changes;        // shard: (changes, when)
    };
    void holdChange(int64_t shard, int64_t at);
    // Runs `calls` after those held for the next round trip, in one round trip; their rows.
    std::vector<PgRows> runAll(std::vector<PgCall> calls);
    // The same for calls that are not empty: the last one's rows.
    PgRows runAfterAhead(std::vector<PgCall> calls);
    // The statements that write what the transaction held back; empties the hold.
    std::vector<PgCall> heldCalls();
    static PgCall lockNameCall(const std::string& name);
    static PgCall lockBestCall(int32_t level, const std::string& name);
    static std::optional<int32_t> bestOf(const PgRows& lockedBest);

    PgRows run(const char* name, const std::vector<std::string>& values);
    int64_t writeBest(const char* name, const Submission& e);

    PgConnection& c_;
    Deadline until_;
    Held held_;
    std::vector<PgCall> ahead_;         // to go with the next statement
    std::optional<Submission> placing_; // the entry this transaction added
    std::optional<NameRows> placingRows_;
    std::optional<std::optional<int32_t>> bestAhead_; // the placed entry's lockBest, read ahead
};

static_assert(ModerationTransaction<PostgresTransaction>);

} // namespace liga
