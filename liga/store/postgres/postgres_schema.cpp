// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_schema.h"
#include "pg_connection.h"
#include "postgres_views_schema.h"
#include "ranking.h"

#include <cstdint>
#include <stdexcept>

namespace liga {

namespace {

// Version 1 had no time_buckets yet, 2 no state of entries, barred names or log of what
// operators changed, 3 no rankings beside `best`, records or names (postgres_views_schema.h),
// 4 a board's index without the name, so that a page of a board read each row's name from
// the table.
constexpr int64_t schemaVersion = 5;

const char* const schema = R"(
CREATE TABLE IF NOT EXISTS league_meta (
    key   TEXT   PRIMARY KEY,
    value BIGINT NOT NULL
);
CREATE TABLE IF NOT EXISTS entries (
    code        TEXT   PRIMARY KEY CHECK (length(code) = 64),
    name        TEXT   NOT NULL,
    level       INT    NOT NULL CHECK (level BETWEEN 1 AND 5),
    tenths      INT    NOT NULL CHECK (tenths > 0),
    received_at BIGINT NOT NULL,
    state       INT    NOT NULL DEFAULT 0 CHECK (state BETWEEN 0 AND 2)
);
CREATE INDEX IF NOT EXISTS entries_by_name ON entries (name, level, tenths, received_at);
CREATE TABLE IF NOT EXISTS best (
    level       INT    NOT NULL,
    name        TEXT   NOT NULL,
    tenths      INT    NOT NULL,
    received_at BIGINT NOT NULL,
    PRIMARY KEY (level, name)
);
-- A page of a board, at any depth, read from this index alone.
CREATE INDEX IF NOT EXISTS best_board ON best (level, tenths, received_at, name);
CREATE TABLE IF NOT EXISTS time_counts (
    level  INT    NOT NULL,
    tenths INT    NOT NULL,
    names  BIGINT NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, tenths)
);
CREATE TABLE IF NOT EXISTS time_buckets (
    level  INT    NOT NULL,
    bucket INT    NOT NULL,
    names  BIGINT NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, bucket)
);
CREATE TABLE IF NOT EXISTS changes (
    shard INT    PRIMARY KEY,
    n     BIGINT NOT NULL,
    at    BIGINT NOT NULL DEFAULT 0
);
INSERT INTO changes (shard, n) SELECT s, 0 FROM generate_series(0, 15) AS s
    ON CONFLICT (shard) DO NOTHING;
CREATE TABLE IF NOT EXISTS barred (
    name TEXT PRIMARY KEY
);
CREATE TABLE IF NOT EXISTS moderation_log (
    id      BIGINT PRIMARY KEY,
    at      BIGINT NOT NULL,
    what    INT    NOT NULL,
    subject TEXT   NOT NULL
);
-- Counts of a moment, which a crash of the database may lose: no log written for them.
CREATE UNLOGGED TABLE IF NOT EXISTS client_limits (
    client TEXT             PRIMARY KEY,
    tokens DOUBLE PRECISION NOT NULL,
    at_ms  BIGINT           NOT NULL
);
INSERT INTO league_meta (key, value) VALUES ('schema', 5), ('moderation', 0), ('gate', 0) -- schemaVersion
    ON CONFLICT (key) DO NOTHING;
)";

} // namespace

std::string whyPostgresHoldsNoLeague(const std::string& conninfo, Deadline until) {
    PgConnection c(conninfo, until);
    c.prepare("league_there", "SELECT to_regclass('league_meta') IS NOT NULL", until);
    return c.run("league_there", {}, until).text(0, 0) == "t" ? "" : "it holds no league's tables";
}

void preparePostgresSchema(const std::string& conninfo, Deadline until) {
    // Two processes starting at once may both create the tables; the loser sees them made.
    // The first process that finds them older brings them up to date; the others wait for
    // the row lock and find it done. Before that no statement of the pool is prepared, as
    // one may name what is still missing.
    int64_t version = 0;
    for (int attempt = 1;; ++attempt) {
        PgConnection c(conninfo, until);
        try {
            c.exec(schema, until);
            c.exec(postgresViewsTables, until);
            c.exec("BEGIN; SET LOCAL statement_timeout = 0", until);
            c.prepare("schema_version",
                      "SELECT value FROM league_meta WHERE key = 'schema' FOR UPDATE", until);
            version = c.run("schema_version", {}, until).integer(0, 0);
            if (version < 2) {
                c.exec("DELETE FROM time_buckets; "
                       "INSERT INTO time_buckets (level, bucket, names) SELECT level, tenths / " +
                           std::to_string(timesPerBucket) +
                           ", SUM(names) FROM time_counts GROUP BY 1, 2",
                       until);
            }
            if (version < 3) {
                // Every entry so far ranked as before.
                c.exec("ALTER TABLE entries ADD COLUMN IF NOT EXISTS state INT NOT NULL "
                       "DEFAULT 0 CHECK (state BETWEEN 0 AND 2)",
                       until);
            }
            if (version < 4) fillPostgresViews(c, until);
            if (version < 5) c.exec("DROP INDEX IF EXISTS best_by_time", until);
            if (version < schemaVersion)
                c.exec("UPDATE league_meta SET value = " + std::to_string(schemaVersion) +
                           " WHERE key = 'schema'",
                       until);
            c.exec("COMMIT", until);
            break;
        } catch (const PgError&) {
            // The connection goes with its open transaction.
            if (attempt >= pgAttempts) throw;
        }
    }
    if (version > schemaVersion)
        throw std::runtime_error("the database was made by a newer zundel-liga (schema " +
                                 std::to_string(version) + ")");
}

} // namespace liga
