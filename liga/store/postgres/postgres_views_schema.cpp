// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_views_schema.h"
#include "pg_connection.h"
#include "views_sql.h"

#include <ctime>

namespace liga {

const char* const postgresViewsTables = R"(
CREATE TABLE IF NOT EXISTS period_best (
    name        TEXT   NOT NULL,
    level       INT    NOT NULL,
    kind        INT    NOT NULL,
    since       BIGINT NOT NULL,
    tenths      INT    NOT NULL,
    received_at BIGINT NOT NULL,
    PRIMARY KEY (name, level, kind, since)
);
CREATE INDEX IF NOT EXISTS period_board
    ON period_best (kind, since, level, tenths, received_at, name);
CREATE TABLE IF NOT EXISTS sum_best (
    name        TEXT   NOT NULL,
    kind        INT    NOT NULL,
    since       BIGINT NOT NULL,
    total       INT    NOT NULL,
    t1          INT    NOT NULL,
    t2          INT    NOT NULL,
    t3          INT    NOT NULL,
    received_at BIGINT NOT NULL,
    PRIMARY KEY (name, kind, since)
);
CREATE INDEX IF NOT EXISTS sum_board ON sum_best (kind, since, total, t3, t2, received_at, name);
CREATE TABLE IF NOT EXISTS ranking_counts (
    kind   INT    NOT NULL,
    since  BIGINT NOT NULL,
    level  INT    NOT NULL,
    tenths INT    NOT NULL,
    names  BIGINT NOT NULL CHECK (names >= 0),
    PRIMARY KEY (kind, since, level, tenths)
);
CREATE TABLE IF NOT EXISTS ranking_buckets (
    kind   INT    NOT NULL,
    since  BIGINT NOT NULL,
    level  INT    NOT NULL,
    bucket INT    NOT NULL,
    names  BIGINT NOT NULL CHECK (names >= 0),
    PRIMARY KEY (kind, since, level, bucket)
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
