// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_views_schema.h"
#include "pg_connection.h"
#include "views_sql.h"

#include <ctime>

namespace liga {

const char* const postgresViewsTables = R"(
-- A name's best on a level in the current year, month and week (since -1: none).
CREATE TABLE IF NOT EXISTS period_best (
    name    TEXT   NOT NULL,
    level   INT    NOT NULL,
    since1  BIGINT NOT NULL,
    tenths1 INT    NOT NULL,
    at1     BIGINT NOT NULL,
    since2  BIGINT NOT NULL,
    tenths2 INT    NOT NULL,
    at2     BIGINT NOT NULL,
    since3  BIGINT NOT NULL,
    tenths3 INT    NOT NULL,
    at3     BIGINT NOT NULL,
    PRIMARY KEY (name, level)
);
CREATE INDEX IF NOT EXISTS period_board1 ON period_best (level, since1, tenths1, at1, name);
CREATE INDEX IF NOT EXISTS period_board2 ON period_best (level, since2, tenths2, at2, name);
CREATE INDEX IF NOT EXISTS period_board3 ON period_best (level, since3, tenths3, at3, name);
-- A name's line in the combined ranking of all time (since 0), the year, month and week.
CREATE TABLE IF NOT EXISTS sum_best (
    name   TEXT   NOT NULL PRIMARY KEY,
    since0   BIGINT NOT NULL,
    tot0     INT    NOT NULL,
    one0     INT    NOT NULL,
    two0     INT    NOT NULL,
    three0   INT    NOT NULL,
    at0      BIGINT NOT NULL,
    since1   BIGINT NOT NULL,
    tot1     INT    NOT NULL,
    one1     INT    NOT NULL,
    two1     INT    NOT NULL,
    three1   INT    NOT NULL,
    at1      BIGINT NOT NULL,
    since2   BIGINT NOT NULL,
    tot2     INT    NOT NULL,
    one2     INT    NOT NULL,
    two2     INT    NOT NULL,
    three2   INT    NOT NULL,
    at2      BIGINT NOT NULL,
    since3   BIGINT NOT NULL,
    tot3     INT    NOT NULL,
    one3     INT    NOT NULL,
    two3     INT    NOT NULL,
    three3   INT    NOT NULL,
    at3      BIGINT NOT NULL
);
CREATE INDEX IF NOT EXISTS sum_board0 ON sum_best (since0, tot0, three0, two0, at0, name);
CREATE INDEX IF NOT EXISTS sum_board1 ON sum_best (since1, tot1, three1, two1, at1, name);
CREATE INDEX IF NOT EXISTS sum_board2 ON sum_best (since2, tot2, three2, two2, at2, name);
CREATE INDEX IF NOT EXISTS sum_board3 ON sum_best (since3, tot3, three3, two3, at3, name);
CREATE TABLE IF NOT EXISTS ranking_counts (
    level  INT    NOT NULL,
    tenths INT    NOT NULL,
    names0 BIGINT NOT NULL CHECK (names0 >= 0),
    since1 BIGINT NOT NULL,
    names1 BIGINT NOT NULL CHECK (names1 >= 0),
    since2 BIGINT NOT NULL,
    names2 BIGINT NOT NULL CHECK (names2 >= 0),
    since3 BIGINT NOT NULL,
    names3 BIGINT NOT NULL CHECK (names3 >= 0),
    PRIMARY KEY (level, tenths)
);
CREATE TABLE IF NOT EXISTS ranking_buckets (
    level  INT    NOT NULL,
    bucket INT    NOT NULL,
    names0 BIGINT NOT NULL CHECK (names0 >= 0),
    since1 BIGINT NOT NULL,
    names1 BIGINT NOT NULL CHECK (names1 >= 0),
    since2 BIGINT NOT NULL,
    names2 BIGINT NOT NULL CHECK (names2 >= 0),
    since3 BIGINT NOT NULL,
    names3 BIGINT NOT NULL CHECK (names3 >= 0),
    PRIMARY KEY (level, bucket)
);
CREATE TABLE IF NOT EXISTS records (
    level       INT    NOT NULL,
    received_at BIGINT NOT NULL,
    code        TEXT   NOT NULL,
    name        TEXT   NOT NULL,
    tenths      INT    NOT NULL,
    PRIMARY KEY (level, received_at, code)
);
CREATE TABLE IF NOT EXISTS names (
    folded TEXT COLLATE "C" NOT NULL,
    name   TEXT NOT NULL,
    PRIMARY KEY (folded, name)
);
INSERT INTO league_meta (key, value) VALUES ('records', 0) ON CONFLICT (key) DO NOTHING;
)";

void fillPostgresViews(PgConnection& c, Deadline until) {
    // The last change of an older database: its newest entry or moderation.
    c.exec("ALTER TABLE changes ADD COLUMN IF NOT EXISTS at BIGINT NOT NULL DEFAULT 0; "
           "UPDATE changes SET at = GREATEST((SELECT COALESCE(MAX(received_at), 0) FROM entries), "
           "(SELECT COALESCE(MAX(at), 0) FROM moderation_log)); "
           "CREATE TEMP TABLE period_bounds (kind INT, since BIGINT, until BIGINT) ON COMMIT DROP",
           until);
    c.prepare("insert_bound", "INSERT INTO period_bounds VALUES ($1, $2, $3)", until);
    for (const PeriodBounds& b : periodsToFill(static_cast<int64_t>(std::time(nullptr))))
        c.run("insert_bound",
              {std::to_string(b.kind), std::to_string(b.since), std::to_string(b.until)}, until);
    c.exec(viewsFillSql(), until);
}

} // namespace liga
