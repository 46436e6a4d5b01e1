// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_pool.h"
#include "postgres_statements.h"
#include "postgres_views_statements.h"

namespace liga {

std::unique_ptr<PgConnection> PgPool::take(Deadline until) {
    {
        std::unique_lock lock(mutex_);
        if (!returned_.wait_until(lock, until,
                                  [&] { return !idle_.empty() || open_ < connections_; }))
            throw StoreUnavailable("every database connection is busy");
        if (!idle_.empty()) {
            std::unique_ptr<PgConnection> c = std::move(idle_.back());
            idle_.pop_back();
            return c;
        }
        ++open_;
    }
    try {
        auto c = std::make_unique<PgConnection>(conninfo_, until);
        const std::string wait = std::to_string(defaultWait.count());
        // The server's own bounds beside the deadline; a transaction left open by a
        // vanished client is ended by the server. Each statement after a lock's wait sees
        // what the lock's holder did, whatever isolation the database sets by default.
        c->exec("SET statement_timeout = " + wait + "; SET lock_timeout = " + wait +
                    "; SET idle_in_transaction_session_timeout = 60000; SET synchronous_commit = " +
                    (durability_ == Durability::flushLater ? "off" : "on") +
                    "; SET default_transaction_isolation = 'read committed'"
                    // Planned once per connection: planning a statement for each call's
                    // values cost more than running it, and no plan here depends on them.
                    "; SET plan_cache_mode = force_generic_plan",
                until);
        for (const auto& [name, sql] : postgresStatements()) c->prepare(name, sql, until);
        for (const auto& [name, sql] : postgresViewStatements()) c->prepare(name, sql, until);
        return c;
    } catch (...) {
        std::lock_guard lock(mutex_);
        --open_;
        returned_.notify_one();
        throw;
    }
}

void PgPool::give(std::unique_ptr<PgConnection> c) {
    std::lock_guard lock(mutex_);
    if (c->broken()) {
        // The server went away for this one, so most likely for its idle fellows too:
        // they are opened again when needed.
        open_ -= 1 + static_cast<unsigned>(idle_.size());
        idle_.clear();
    } else {
        idle_.push_back(std::move(c));
    }
    returned_.notify_all();
}

} // namespace liga
