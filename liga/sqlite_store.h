// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"

#include <atomic>
#include <mutex>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace liga {

// The league in one SQLite file: every accepted code in `entries` (the code unique), and
// each name's best time per level in `best`, kept in step in the same transaction.
// Write-ahead logging; every statement prepared once, values bound, never pasted in.
// One connection, used by one thread at a time.
class SqliteStore final : public Store {
public:
    // Opens or creates the file (":memory:" for a store that lives in memory).
    // Throws std::runtime_error when it cannot.
    explicit SqliteStore(const std::string& path);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    Placement submit(const Submission& entry) override;
    std::vector<BoardRow> board(int32_t level, int64_t limit) override;
    uint64_t version() override { return changes_.load(); }

private:
    class Statement;
    void close();
    void exec(const char* sql);
    sqlite3_stmt* prepare(const char* sql);
    Placement place(int32_t level, const std::string& name, int32_t tenths);

    std::mutex mutex_;
    std::atomic<uint64_t> changes_{0};
    sqlite3* db_ = nullptr;
    sqlite3_stmt* begin_ = nullptr;
    sqlite3_stmt* commit_ = nullptr;
    sqlite3_stmt* rollback_ = nullptr;
    sqlite3_stmt* insertEntry_ = nullptr;
    sqlite3_stmt* findEntry_ = nullptr;
    sqlite3_stmt* upsertBest_ = nullptr;
    sqlite3_stmt* countBetter_ = nullptr;
    sqlite3_stmt* countRanked_ = nullptr;
    sqlite3_stmt* selectBoard_ = nullptr;
};

} // namespace liga
