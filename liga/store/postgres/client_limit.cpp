// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The shared rate limit in the league's database, for every server process on it.
#include "postgres_transaction.h"

namespace liga {

bool PostgresTransaction::takeToken(const SharedLimit& l) {
    const std::string burst = std::to_string(l.burst), perMinute = std::to_string(l.perMinute),
                      now = std::to_string(l.nowMs);
    if (l.sweep) run("sweep_tokens", {burst, perMinute, now});
    return run("take_token", {l.client, burst, perMinute, now}).affected() == 1;
}

} // namespace liga
