// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_views_schema.h"
#include "sqlite_connection.h"
#include "views_sql.h"

#include <ctime>

namespace liga {

namespace {

// The version that brought these tables.
constexpr int viewsVersion = 5;

const char* const tables = R"(
-- A name's best on a level in the current year, month and week (since -1: none).
CREATE TABLE IF NOT EXISTS period_best (
    name    TEXT    NOT NULL,
    level   INTEGER NOT NULL,
    since1  INTEGER NOT NULL,
    tenths1 INTEGER NOT NULL,
    at1     INTEGER NOT NULL,
    since2  INTEGER NOT NULL,
    tenths2 INTEGER NOT NULL,
    at2     INTEGER NOT NULL,
    since3  INTEGER NOT NULL,
    tenths3 INTEGER NOT NULL,
    at3     INTEGER NOT NULL,
    PRIMARY KEY (name, level)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS period_board1 ON period_best (level, since1, tenths1, at1);
CREATE INDEX IF NOT EXISTS period_board2 ON period_best (level, since2, tenths2, at2);
CREATE INDEX IF NOT EXISTS period_board3 ON period_best (level, since3, tenths3, at3);
-- A name's line in the combined ranking of all time (since 0), the year, month and week.
CREATE TABLE IF NOT EXISTS sum_best (
    name   TEXT    NOT NULL PRIMARY KEY,
    since0   INTEGER NOT NULL,
    tot0     INTEGER NOT NULL,
    one0     INTEGER NOT NULL,
    two0     INTEGER NOT NULL,
    three0   INTEGER NOT NULL,
    at0      INTEGER NOT NULL,
    since1   INTEGER NOT NULL,
    tot1     INTEGER NOT NULL,
    one1     INTEGER NOT NULL,
    two1     INTEGER NOT NULL,
    three1   INTEGER NOT NULL,
    at1      INTEGER NOT NULL,
    since2   INTEGER NOT NULL,
    tot2     INTEGER NOT NULL,
    one2     INTEGER NOT NULL,
    two2     INTEGER NOT NULL,
    three2   INTEGER NOT NULL,
    at2      INTEGER NOT NULL,
    since3   INTEGER NOT NULL,
    tot3     INTEGER NOT NULL,
    one3     INTEGER NOT NULL,
    two3     INTEGER NOT NULL,
    three3   INTEGER NOT NULL,
    at3      INTEGER NOT NULL
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS sum_board0 ON sum_best (since0, tot0, three0, two0, at0);
CREATE INDEX IF NOT EXISTS sum_board1 ON sum_best (since1, tot1, three1, two1, at1);
CREATE INDEX IF NOT EXISTS sum_board2 ON sum_best (since2, tot2, three2, two2, at2);
CREATE INDEX IF NOT EXISTS sum_board3 ON sum_best (since3, tot3, three3, two3, at3);
CREATE TABLE IF NOT EXISTS ranking_counts (
    level  INTEGER NOT NULL,
    tenths INTEGER NOT NULL,
    names0 INTEGER NOT NULL CHECK (names0 >= 0),
    since1 INTEGER NOT NULL,
    names1 INTEGER NOT NULL CHECK (names1 >= 0),
    since2 INTEGER NOT NULL,
    names2 INTEGER NOT NULL CHECK (names2 >= 0),
    since3 INTEGER NOT NULL,
    names3 INTEGER NOT NULL CHECK (names3 >= 0),
    PRIMARY KEY (level, tenths)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS ranking_buckets (
    level  INTEGER NOT NULL,
    bucket INTEGER NOT NULL,
    names0 INTEGER NOT NULL CHECK (names0 >= 0),
    since1 INTEGER NOT NULL,
    names1 INTEGER NOT NULL CHECK (names1 >= 0),
    since2 INTEGER NOT NULL,
    names2 INTEGER NOT NULL CHECK (names2 >= 0),
    since3 INTEGER NOT NULL,
    names3 INTEGER NOT NULL CHECK (names3 >= 0),
    PRIMARY KEY (level, bucket)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS records (
    level       INTEGER NOT NULL,
    received_at INTEGER NOT NULL,
    code        TEXT    NOT NULL,
    name        TEXT    NOT NULL,
    tenths      INTEGER NOT NULL,
    PRIMARY KEY (level, received_at, code)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS names (
    folded TEXT NOT NULL,
    name   TEXT NOT NULL,
    PRIMARY KEY (folded, name)
) WITHOUT ROWID;
)";

const char* const hasChangeTime =
    "SELECT count(*) FROM pragma_table_info('changes') WHERE name = 'at'";
// The last change of an older file: its newest entry or moderation.
const char* const addChangeTime =
    "ALTER TABLE changes ADD COLUMN at INTEGER NOT NULL DEFAULT 0; "
    "UPDATE changes SET at = (SELECT max(coalesce((SELECT max(received_at) FROM entries), 0), "
    "coalesce((SELECT max(at) FROM moderation_log), 0)))";

} // namespace

void prepareSqliteViews(SqliteConnection& w, int version) {
    w.exec(tables);
    {
        SqliteStatement s(w, hasChangeTime);
        s.step();
        if (s.integer(0) == 0) w.exec(addChangeTime);
    }
    if (version >= viewsVersion) return;
    // A table of the file itself, gone again by the transaction's end: a temporary one
    // would cost the connection a second database at every later statement.
    w.exec("CREATE TABLE period_bounds (kind INTEGER, since INTEGER, until INTEGER)");
    {
        const char* const insert = "INSERT INTO period_bounds VALUES (?1, ?2, ?3)";
        for (const PeriodBounds& b : periodsToFill(static_cast<int64_t>(std::time(nullptr)))) {
            SqliteStatement s(w, insert);
            s.bind(1, b.kind).bind(2, b.since).bind(3, b.until).step();
        }
    }
    w.exec(viewsFillSql().c_str());
    w.exec("DROP TABLE period_bounds");
}

} // namespace liga
