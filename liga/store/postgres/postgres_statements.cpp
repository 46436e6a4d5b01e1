// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_statements.h"

namespace liga {

namespace {

const std::pair<const char*, const char*> statements[] = {
    // Not in the statement that waits for the lock: its snapshot is older than what the
    // moderation it waited for did.
    {"barred", "SELECT EXISTS (SELECT 1 FROM barred WHERE name = $1)"},
    {"begin", "BEGIN"},
    {"commit", "COMMIT"},
    {"share_gate", "SELECT 1 FROM league_meta WHERE key = 'gate' FOR SHARE"},
    {"share_moderation", "SELECT 1 FROM league_meta WHERE key = 'moderation' FOR SHARE"},
    // The gate first, which shuts out submissions not yet begun (beginSubmission), then
    // the lock that those under way share.
    {"lock_moderation", "SELECT value FROM league_meta WHERE key IN ('gate', 'moderation') "
                        "ORDER BY key FOR UPDATE"},
    {"insert_entry", "INSERT INTO entries (code, name, level, tenths, received_at, state) "
                     "VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT (code) DO NOTHING"},
    {"find_entry", "SELECT name, level, tenths, state FROM entries WHERE code = $1"},
    {"lock_best", "SELECT tenths FROM best WHERE level = $1 AND name = $2 FOR UPDATE"},
    {"insert_best", "INSERT INTO best (level, name, tenths, received_at) VALUES ($1, $2, $3, $4) "
                    "ON CONFLICT (level, name) DO NOTHING"},
    {"update_best", "UPDATE best SET tenths = $3, received_at = $4 WHERE level = $1 AND name = $2"},
    // $3 is the time's bucket, $4 its first time.
    {"counts", "SELECT (SELECT COALESCE(SUM(names), 0) FROM time_buckets "
               "        WHERE level = $1 AND bucket < $3) "
               "     + (SELECT COALESCE(SUM(names), 0) FROM time_counts "
               "        WHERE level = $1 AND tenths >= $4 AND tenths < $2), "
               "       (SELECT COALESCE(SUM(names), 0) FROM time_buckets WHERE level = $1)"},
    {"version", "SELECT COALESCE(SUM(n), 0) FROM changes"},
    {"board", "SELECT name, tenths, received_at FROM best WHERE level = $1 "
              "ORDER BY tenths, received_at, name LIMIT $2"},
    {"fastest", "SELECT tenths, received_at FROM entries WHERE name = $2 AND level = $1 "
                "AND state = 0 ORDER BY tenths, received_at LIMIT 1"},
    {"drop_best", "DELETE FROM best WHERE level = $1 AND name = $2"},
    {"bar", "INSERT INTO barred (name) VALUES ($1) ON CONFLICT (name) DO NOTHING"},
    {"unbar", "DELETE FROM barred WHERE name = $1"},
    {"delete_entry", "DELETE FROM entries WHERE code = $1"},
    {"set_state", "UPDATE entries SET state = $2 WHERE code = $1"},
    // Numbered in order: moderations take their turns under lock_moderation.
    {"log_change", "INSERT INTO moderation_log (id, at, what, subject) "
                   "SELECT COALESCE(MAX(id), 0) + 1, $1, $2, $3 FROM moderation_log"},
    // $1 client, $2 burst, $3 per minute, $4 now in ms: refilled, then one taken, unless
    // none is left; a client not yet there starts full.
    {"take_token",
     "INSERT INTO client_limits AS c (client, tokens, at_ms) VALUES ($1, $2::float8 - 1, $4) "
     "ON CONFLICT (client) DO UPDATE SET at_ms = greatest(c.at_ms, $4::bigint), "
     "tokens = least($2::float8, c.tokens + greatest($4::bigint - c.at_ms, 0) * $3::float8 "
     "/ 60000) - 1 WHERE least($2::float8, c.tokens + greatest($4::bigint - c.at_ms, 0) "
     "* $3::float8 / 60000) >= 1"},
    {"sweep_tokens", "DELETE FROM client_limits WHERE tokens + greatest($3::bigint - at_ms, 0) "
                     "* $2::float8 / 60000 >= $1::float8"},
    // Names are ASCII, which lower() folds alike in every locale.
    {"names_alike", "SELECT name FROM entries WHERE lower(name) = lower($1) AND name <> $1 "
                    "UNION SELECT name FROM barred WHERE lower(name) = lower($1) AND name <> $1 "
                    "ORDER BY 1 LIMIT 20"},
    {"changes_since", "SELECT id, at, what, subject FROM moderation_log WHERE id > $1 ORDER BY id"},
    // Level 0, name '' and held 0 ask for any.
    {"entries", "SELECT code, name, level, tenths, received_at, state, "
                "       EXISTS (SELECT 1 FROM barred WHERE barred.name = entries.name) "
                "FROM entries WHERE ($1 = 0 OR level = $1) AND ($2 = '' OR name = $2) "
                "AND ($3 = 0 OR state = 1) ORDER BY received_at DESC, code DESC LIMIT $4"},
};

} // namespace

// Through the gate in a transaction of its own, which ends at once: a moderation that waits
// for the submissions under way keeps new ones out, and so gets its turn however many come.
// Prepared, and sent with the submission's first statement.
const std::vector<PgCall>& beginSubmission() {
    static const std::vector<PgCall> calls = {
        {"begin", {}}, {"share_gate", {}}, {"commit", {}}, {"begin", {}}, {"share_moderation", {}}};
    return calls;
}

std::span<const std::pair<const char*, const char*>> postgresStatements() {
    return statements;
}

} // namespace liga
