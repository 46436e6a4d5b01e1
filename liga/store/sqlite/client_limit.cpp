// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The shared rate limit in the league's file, for every server process on it.
#include "sqlite_transaction.h"

#include <sqlite3.h>

namespace liga {

namespace {

// ?1 client, ?2 burst, ?3 per minute, ?4 now in ms: refilled, then one taken, unless none
// is left; a client not yet there starts full.
const char* const takeToken =
    "INSERT INTO client_limits (client, tokens, at_ms) VALUES (?1, ?2 - 1, ?4) "
    "ON CONFLICT (client) DO UPDATE SET at_ms = max(at_ms, ?4), "
    "tokens = min(?2, tokens + max(?4 - at_ms, 0) * ?3 / 60000.0) - 1 "
    "WHERE min(?2, tokens + max(?4 - at_ms, 0) * ?3 / 60000.0) >= 1";
const char* const sweepTokens =
    "DELETE FROM client_limits WHERE tokens + max(?3 - at_ms, 0) * ?2 / 60000.0 >= ?1";

} // namespace

bool SqliteTransaction::takeToken(const SharedLimit& l) {
    if (l.sweep)
        statement(sweepTokens)
            .bind(1, int64_t{l.burst})
            .bind(2, int64_t{l.perMinute})
            .bind(3, l.nowMs)
            .step();
    statement(liga::takeToken)
        .bind(1, l.client)
        .bind(2, int64_t{l.burst})
        .bind(3, int64_t{l.perMinute})
        .bind(4, l.nowMs)
        .step();
    return sqlite3_changes(c_.db) == 1;
}

} // namespace liga
