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
CREATE TABLE IF NOT EXISTS period_best (
    name        TEXT    NOT NULL,
    level       INTEGER NOT NULL,
    kind        INTEGER NOT NULL,
    since       INTEGER NOT NULL,
    tenths      INTEGER NOT NULL,
    received_at INTEGER NOT NULL,
    PRIMARY KEY (name, level, kind, since)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS period_board ON period_best (kind, since, level, tenths, received_at);
CREATE TABLE IF NOT EXISTS sum_best (
    name        TEXT    NOT NULL,
    kind        INTEGER NOT NULL,
    since       INTEGER NOT NULL,
    total       INTEGER NOT NULL,
    t1          INTEGER NOT NULL,
    t2          INTEGER NOT NULL,
    t3          INTEGER NOT NULL,
    received_at INTEGER NOT NULL,
    PRIMARY KEY (name, kind, since)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS sum_board ON sum_best (kind, since, total, t3, t2, received_at);
CREATE TABLE IF NOT EXISTS ranking_counts (
    kind   INTEGER NOT NULL,
    since  INTEGER NOT NULL,
    level  INTEGER NOT NULL,
    tenths INTEGER NOT NULL,
    names  INTEGER NOT NULL CHECK (names >= 0),
    PRIMARY KEY (kind, since, level, tenths)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS ranking_buckets (
    kind   INTEGER NOT NULL,
    since  INTEGER NOT NULL,
    level  INTEGER NOT NULL,
    bucket INTEGER NOT NULL,
    names  INTEGER NOT NULL CHECK (names >= 0),
    PRIMARY KEY (kind, since, level, bucket)
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
    w.exec("CREATE TEMP TABLE period_bounds (kind INTEGER, since INTEGER, until INTEGER)");
    {
        const char* const insert = "INSERT INTO period_bounds VALUES (?1, ?2, ?3)";
        for (const PeriodBounds& b : periodsToFill(static_cast<int64_t>(std::time(nullptr)))) {
            SqliteStatement s(w, insert);
            s.bind(1, b.kind).bind(2, b.since).bind(3, b.until).step();
        }
    }
    w.exec(viewsFillSql().c_str());
    w.exec("DROP TABLE temp.period_bounds");
}

} // namespace liga
