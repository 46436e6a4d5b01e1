// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_connection.h"
#include "database_watch.h"
#include "write_guard.h"

#include <algorithm>
#include <chrono>
#include <sqlite3.h>

namespace liga {

void failSqlite(sqlite3* db, const std::string& what) {
    const int code = db ? sqlite3_errcode(db) : SQLITE_NOMEM;
    const std::string why = what + ": " + (db ? sqlite3_errmsg(db) : "no memory");
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) throw StoreUnavailable(why);
    throw std::runtime_error(why);
}

SqliteConnection::SqliteConnection(const std::string& path, bool writes, Durability durability) {
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (writes ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db, flags, guardedFileAccess()) != SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : "no memory";
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path + ": " + why);
    }
    try {
        sqlite3_busy_timeout(db, static_cast<int>(defaultWait.count()));
        // What a savepoint keeps to undo a submission of a batch, and what a page's window
        // functions and sorts hold, stays in memory: in a file of its own it would cost
        // each page a write more, and each read the making of a file (1.3 ms of a board
        // page's 1.5).
        exec("PRAGMA temp_store = MEMORY");
        if (writes) {
            exec("PRAGMA journal_mode = WAL");
            // The checkpointer's work, not a committing request's.
            exec("PRAGMA wal_autocheckpoint = 0");
            // A log that a long reader made long shrinks back once it is reused.
            exec("PRAGMA journal_size_limit = 16777216");
            // In WAL mode, NORMAL waits for no disk flush at a commit.
            exec(durability == Durability::flushLater ? "PRAGMA synchronous = NORMAL"
                                                      : "PRAGMA synchronous = FULL");
        } else {
            exec("PRAGMA query_only = ON");
        }
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
}

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, s] : statements_) sqlite3_finalize(s);
    sqlite3_close(db);
}

void SqliteConnection::exec(const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) failSqlite(db, sql);
}

sqlite3_stmt* SqliteConnection::prepared(const char* sql) {
    sqlite3_stmt*& s = statements_[sql];
    if (!s && sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        failSqlite(db, sql);
    return s;
}

void SqliteConnection::leaveFileOnClose() {
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

void checkLeagueFile(SqliteConnection& c) {
    if (c.watch && !c.watch->look(c)) throw StoreGone("the league file was deleted or replaced");
}

SqliteLease::SqliteLease(SqliteConnection& c, Deadline until) : lock_(c.mutex, std::defer_lock) {
    if (c.watch && c.watch->gone()) throw StoreGone("the league file was deleted or replaced");
    if (!lock_.try_lock_until(until)) throw StoreUnavailable("the league database is busy");
    waitNoLongerThan(c, until);
}

void waitNoLongerThan(SqliteConnection& c, Deadline until) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Deadline::clock::now());
    sqlite3_busy_timeout(c.db, static_cast<int>(std::max<int64_t>(left.count(), 1)));
    checkLeagueFile(c);
}

SqliteStatement::~SqliteStatement() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

SqliteStatement& SqliteStatement::bind(int i, int64_t v) {
    if (sqlite3_bind_int64(stmt_, i, v) != SQLITE_OK) failSqlite(db_, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::bind(int i, const std::string& v) {
    if (sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        failSqlite(db_, "bind");
    return *this;
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    failSqlite(db_, sqlite3_sql(stmt_));
}

int64_t SqliteStatement::integer(int col) const {
    return sqlite3_column_int64(stmt_, col);
}

std::string SqliteStatement::text(int col) const {
    const auto* p = sqlite3_column_text(stmt_, col);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
}

} // namespace liga
