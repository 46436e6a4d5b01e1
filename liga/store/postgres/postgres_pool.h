// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pg_connection.h"
#include "store.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace liga {

// At most `connections` connections to one database, opened when first needed, each with
// every statement of the store prepared. A transaction that lost to another (SQLSTATE
// 40001, 40P01) is run again, a few times at most; one whose connection was lost before
// it committed, once on a new connection.
class PgPool {
public:
    PgPool(std::string conninfo, unsigned connections, Durability durability)
        : conninfo_(std::move(conninfo)), connections_(std::max(connections, 1u)),
          durability_(durability) {}

    // Runs `work` on a connection, in a transaction when `transaction` says so (begun by
    // `begin`, or by `work` itself when that is null), again when it may be run again.
    template <class Work>
    auto withConnection(bool transaction, Deadline until, Work work, const char* begin = "BEGIN");

private:
    std::unique_ptr<PgConnection> take(Deadline until);
    void give(std::unique_ptr<PgConnection> c);

    const std::string conninfo_;
    const unsigned connections_;
    const Durability durability_;
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<PgConnection>> idle_;
    unsigned open_ = 0;
};

template <class Work>
auto PgPool::withConnection(bool transaction, Deadline until, Work work, const char* begin) {
    for (int attempt = 1;; ++attempt) {
        std::unique_ptr<PgConnection> c = take(until);
        bool committing = false;
        const auto rollback = [&] {
            if (!transaction || c->broken()) return;
            try {
                c->exec("ROLLBACK", until);
            } catch (const std::exception&) {
                // broken now, and dropped by give
            }
        };
        try {
            if (transaction && begin) c->exec(begin, until);
            auto result = work(*c);
            committing = true;
            if (transaction) c->exec("COMMIT", until);
            give(std::move(c));
            return result;
        } catch (const PgError& e) {
            rollback();
            give(std::move(c));
            if (!e.retryable() || attempt >= pgAttempts) throw;
        } catch (const StoreUnavailable&) {
            const bool lost = c->broken();
            rollback();
            give(std::move(c));
            // Lost before it committed, nothing of it stayed: once more, on a new
            // connection, in case the server is back.
            if (!lost || committing || attempt >= 2) throw;
        } catch (...) {
            rollback();
            give(std::move(c));
            throw;
        }
        if (Deadline::clock::now() >= until) throw StoreUnavailable("the database is busy");
    }
}

} // namespace liga
