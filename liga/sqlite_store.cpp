// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_store.h"

#include <sqlite3.h>
#include <stdexcept>

namespace liga {

namespace {

const char* const schema = R"(
CREATE TABLE IF NOT EXISTS entries (
    id          INTEGER PRIMARY KEY,
    code        TEXT    NOT NULL UNIQUE CHECK (length(code) = 64),
    name        TEXT    NOT NULL,
    level       INTEGER NOT NULL CHECK (level BETWEEN 1 AND 5),
    tenths      INTEGER NOT NULL CHECK (tenths > 0),
    received_at INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS best (
    level       INTEGER NOT NULL,
    name        TEXT    NOT NULL,
    tenths      INTEGER NOT NULL,
    received_at INTEGER NOT NULL,
    PRIMARY KEY (level, name)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS best_by_time ON best (level, tenths, received_at);
)";

[[noreturn]] void fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no memory"));
}

} // namespace

// Resets a prepared statement and its bindings whichever way a call leaves.
class SqliteStore::Statement {
public:
    Statement(SqliteStore& store, sqlite3_stmt* stmt) : store_(store), stmt_(stmt) {}
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement& bind(int i, int64_t v) {
        if (sqlite3_bind_int64(stmt_, i, v) != SQLITE_OK) fail(store_.db_, "bind");
        return *this;
    }
    Statement& bind(int i, const std::string& v) {
        if (sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT) !=
            SQLITE_OK)
            fail(store_.db_, "bind");
        return *this;
    }
    // True while a row is there.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail(store_.db_, "step");
    }
    int64_t integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string text(int col) const {
        const auto* p = sqlite3_column_text(stmt_, col);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
                 : std::string();
    }

private:
    SqliteStore& store_;
    sqlite3_stmt* stmt_;
};

SqliteStore::SqliteStore(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "no memory";
        sqlite3_close(db_);
        throw std::runtime_error("cannot open " + path + ": " + why);
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        exec("PRAGMA journal_mode = WAL");
        // In WAL mode a commit waits for no disk flush; a power cut may lose the last
        // few entries, never the file.
        exec("PRAGMA synchronous = NORMAL");
        exec(schema);
        begin_ = prepare("BEGIN IMMEDIATE");
        commit_ = prepare("COMMIT");
        rollback_ = prepare("ROLLBACK");
        insertEntry_ = prepare("INSERT INTO entries (code, name, level, tenths, received_at) "
                               "VALUES (?1, ?2, ?3, ?4, ?5) ON CONFLICT (code) DO NOTHING");
        findEntry_ = prepare("SELECT name, level, tenths FROM entries WHERE code = ?1");
        upsertBest_ = prepare("INSERT INTO best (level, name, tenths, received_at) "
                              "VALUES (?1, ?2, ?3, ?4) ON CONFLICT (level, name) DO UPDATE "
                              "SET tenths = excluded.tenths, received_at = excluded.received_at "
                              "WHERE excluded.tenths < best.tenths");
        countBetter_ = prepare("SELECT count(*) FROM best "
                               "WHERE level = ?1 AND tenths < ?2 AND name <> ?3");
        countRanked_ = prepare("SELECT count(*) FROM best WHERE level = ?1");
        selectBoard_ = prepare("SELECT name, tenths, received_at FROM best WHERE level = ?1 "
                               "ORDER BY tenths, received_at, name LIMIT ?2");
    } catch (...) {
        close();
        throw;
    }
}

SqliteStore::~SqliteStore() {
    close();
}

void SqliteStore::close() {
    for (sqlite3_stmt* s : {begin_, commit_, rollback_, insertEntry_, findEntry_, upsertBest_,
                            countBetter_, countRanked_, selectBoard_})
        sqlite3_finalize(s);
    begin_ = commit_ = rollback_ = insertEntry_ = findEntry_ = upsertBest_ = countBetter_ =
        countRanked_ = selectBoard_ = nullptr;
    sqlite3_close(db_);
    db_ = nullptr;
}

void SqliteStore::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_, sql);
}

sqlite3_stmt* SqliteStore::prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        fail(db_, sql);
    return s;
}

Placement SqliteStore::place(int32_t level, const std::string& name, int32_t tenths) {
    Placement p;
    Statement better(*this, countBetter_);
    better.bind(1, level).bind(2, tenths).bind(3, name).step();
    p.place = better.integer(0) + 1;
    Statement ranked(*this, countRanked_);
    ranked.bind(1, level).step();
    p.ranked = ranked.integer(0);
    return p;
}

Placement SqliteStore::submit(const Submission& e) {
    std::lock_guard lock(mutex_);
    Statement(*this, begin_).step();
    try {
        Statement insert(*this, insertEntry_);
        insert.bind(1, e.code).bind(2, e.name).bind(3, e.level).bind(4, e.tenths);
        insert.bind(5, e.receivedAt).step();
        Placement p;
        if (sqlite3_changes(db_) == 1) {
            Statement best(*this, upsertBest_);
            best.bind(1, e.level).bind(2, e.name).bind(3, e.tenths).bind(4, e.receivedAt).step();
            p = place(e.level, e.name, e.tenths);
        } else {
            // The code decides name, level and time; place what was stored with it.
            Statement found(*this, findEntry_);
            if (!found.bind(1, e.code).step()) fail(db_, "code vanished");
            p = place(static_cast<int32_t>(found.integer(1)), found.text(0),
                      static_cast<int32_t>(found.integer(2)));
            p.alreadyReceived = true;
        }
        Statement(*this, commit_).step();
        if (!p.alreadyReceived) ++changes_;
        return p;
    } catch (...) {
        sqlite3_step(rollback_);
        sqlite3_reset(rollback_);
        throw;
    }
}

std::vector<BoardRow> SqliteStore::board(int32_t level, int64_t limit) {
    std::lock_guard lock(mutex_);
    std::vector<BoardRow> rows;
    Statement select(*this, selectBoard_);
    select.bind(1, level).bind(2, limit);
    while (select.step()) {
        BoardRow r;
        r.name = select.text(0);
        r.tenths = static_cast<int32_t>(select.integer(1));
        r.receivedAt = select.integer(2);
        // Equal times share a place; the next time takes the place after all of them.
        r.place = !rows.empty() && rows.back().tenths == r.tenths
                      ? rows.back().place
                      : static_cast<int64_t>(rows.size()) + 1;
        rows.push_back(std::move(r));
    }
    return rows;
}

} // namespace liga
