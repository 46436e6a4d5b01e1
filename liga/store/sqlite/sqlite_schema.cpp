// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_schema.h"
#include "ranking.h"
#include "sqlite_connection.h"
#include "sqlite_views_schema.h"

#include <sqlite3.h>
#include <stdexcept>
#include <unistd.h>

namespace liga {

namespace {

// Version 1 had entries and best; version 3 adds time_counts, time_buckets and changes
// (2 had no buckets yet); version 4 the entries' state, barred names and the log of what
// operators changed; version 5 the rankings beside `best`, records and names
// (sqlite_views_schema.h).
constexpr int schemaVersion = 5;

const char* const schema = R"(
CREATE TABLE IF NOT EXISTS entries (
    id          INTEGER PRIMARY KEY,
    code        TEXT    NOT NULL UNIQUE CHECK (length(code) = 64),
    name        TEXT    NOT NULL,
    level       INTEGER NOT NULL CHECK (level BETWEEN 1 AND 5),
    tenths      INTEGER NOT NULL CHECK (tenths > 0),
    received_at INTEGER NOT NULL,
    state       INTEGER NOT NULL DEFAULT 0 CHECK (state BETWEEN 0 AND 2)
);
CREATE TABLE IF NOT EXISTS best (
    level       INTEGER NOT NULL,
    name        TEXT    NOT NULL,
    tenths      INTEGER NOT NULL,
    received_at INTEGER NOT NULL,
    PRIMARY KEY (level, name)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS best_by_time ON best (level, tenths, received_at);
CREATE TABLE IF NOT EXISTS time_counts (
    level  INTEGER NOT NULL,
    tenths INTEGER NOT NULL,
    names  INTEGER NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, tenths)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS time_buckets (
    level  INTEGER NOT NULL,
    bucket INTEGER NOT NULL,
    names  INTEGER NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, bucket)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS changes (
    shard INTEGER PRIMARY KEY,
    n     INTEGER NOT NULL
);
INSERT OR IGNORE INTO changes (shard, n) VALUES (0, 0);
CREATE TABLE IF NOT EXISTS barred (
    name TEXT PRIMARY KEY
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS moderation_log (
    id      INTEGER PRIMARY KEY,
    at      INTEGER NOT NULL,
    what    INTEGER NOT NULL,
    subject TEXT    NOT NULL
);
CREATE TABLE IF NOT EXISTS client_limits (
    client TEXT    PRIMARY KEY,
    tokens REAL    NOT NULL,
    at_ms  INTEGER NOT NULL
) WITHOUT ROWID;
)";
// A file of an older version gets the entries' state, every entry ranked as before.
const char* const addState = "ALTER TABLE entries ADD COLUMN state INTEGER NOT NULL DEFAULT 0 "
                             "CHECK (state BETWEEN 0 AND 2)";
const char* const hasState =
    "SELECT count(*) FROM pragma_table_info('entries') WHERE name = 'state'";
// What a moderation looks up: a name's fastest entry on a level.
const char* const nameIndex =
    "CREATE INDEX IF NOT EXISTS entries_by_name ON entries (name, level, tenths, received_at)";

// From the best times of a file that had no counts yet.
const std::string recount = "DELETE FROM time_counts; DELETE FROM time_buckets; "
                            "INSERT INTO time_counts (level, tenths, names) "
                            "SELECT level, tenths, count(*) FROM best GROUP BY level, tenths; "
                            "INSERT INTO time_buckets (level, bucket, names) "
                            "SELECT level, tenths / " +
                            std::to_string(timesPerBucket) + ", count(*) FROM best GROUP BY 1, 2";

// Tables every version of the league had.
const char* const leagueTables =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('entries', 'best')";

} // namespace

std::string whySqliteHoldsNoLeague(const std::string& path) {
    sqlite3* db = nullptr;
    std::string why;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        why = ::access(path.c_str(), F_OK) != 0
                  ? "there is no such file"
                  : std::string("cannot open it: ") + (db ? sqlite3_errmsg(db) : "no memory");
    } else {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, leagueTables, -1, &s, nullptr) != SQLITE_OK ||
            sqlite3_step(s) != SQLITE_ROW)
            why = std::string("cannot read it: ") + sqlite3_errmsg(db);
        else if (sqlite3_column_int(s, 0) != 2)
            why = "it holds no league's tables";
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return why;
}

void prepareSqliteSchema(SqliteConnection& w, const std::string& path) {
    w.exec("BEGIN IMMEDIATE");
    try {
        int version = 0;
        {
            SqliteStatement s(w, "PRAGMA user_version");
            if (s.step()) version = static_cast<int>(s.integer(0));
        }
        if (version > schemaVersion)
            throw std::runtime_error(path + " was made by a newer zundel-liga (schema " +
                                     std::to_string(version) + ")");
        w.exec(schema);
        {
            SqliteStatement s(w, hasState);
            s.step();
            if (s.integer(0) == 0) w.exec(addState);
        }
        w.exec(nameIndex);
        prepareSqliteViews(w, version);
        if (version < schemaVersion) {
            w.exec(recount.c_str());
            w.exec(("PRAGMA user_version = " + std::to_string(schemaVersion)).c_str());
        }
        w.exec("COMMIT");
    } catch (...) {
        sqlite3_exec(w.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace liga
