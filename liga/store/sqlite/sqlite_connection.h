// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A handle on the league's SQLite file with its prepared statements, and the pieces every
// call on it uses: the lease that takes it by a deadline and a statement that cleans up.
#pragma once
#include "store.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace liga {

class DatabaseWatch;

// Throws what the handle's last error means: StoreUnavailable for a lock held elsewhere,
// std::runtime_error for anything else.
[[noreturn]] void failSqlite(sqlite3* db, const std::string& what);

// One handle on the file with its prepared statements, used by one thread at a time. The
// writing one is made with the file when it is missing and sets the log's mode; a reading
// one only reads.
class SqliteConnection {
public:
    SqliteConnection(const std::string& path, bool writes, Durability durability);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    void exec(const char* sql);
    // Prepared at its first use, kept until the connection closes.
    sqlite3_stmt* prepared(const char* sql);
    // Closing it later neither checkpoints nor deletes the log and index beside the path,
    // which the library would do as the last connection on the file closes.
    void leaveFileOnClose();

    sqlite3* db = nullptr;
    std::timed_mutex mutex;
    DatabaseWatch* watch = nullptr; // none in memory

private:
    std::map<const char*, sqlite3_stmt*> statements_; // by the address of their text
};

// Throws StoreGone when the watch of `c`, which the caller holds, finds the league's file
// deleted or replaced.
void checkLeagueFile(SqliteConnection& c);

// The library's wait for a lock held by another process ends at the deadline.
void waitNoLongerThan(SqliteConnection& c, Deadline until);

// The connection for one call: taken before the deadline, and the library's own wait for
// a lock held by another process ends there too; the league's file is looked at then.
class SqliteLease {
public:
    SqliteLease(SqliteConnection& c, Deadline until);

private:
    std::unique_lock<std::timed_mutex> lock_;
};

// Resets a prepared statement and its bindings whichever way a call leaves.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    SqliteStatement(SqliteConnection& c, const char* sql)
        : SqliteStatement(c.db, c.prepared(sql)) {}
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int i, int64_t v);
    SqliteStatement& bind(int i, const std::string& v);
    // True while a row is there.
    bool step();
    int64_t integer(int col) const;
    std::string text(int col) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

} // namespace liga
