// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace liga {

class PgConnection;

// The league in a PostgreSQL database, which several server processes may share: the
// same tables as the SQLite file (entries, best, time_counts, changes, barred,
// moderation_log), created when missing, with the schema's version in league_meta. Plain SQL that
// CockroachDB takes too; every statement with values prepared, the values bound. A transaction that
// lost to another (SQLSTATE 40001, 40P01) is run again, a few times at most; one whose connection
// was lost before it committed, once on a new connection.
// Connections are kept in a pool of at most `connections`, opened when first needed.
class PostgresStore final : public Store {
public:
    // Connects and brings the tables up to date. Throws StoreUnavailable when the
    // database cannot be reached before the deadline, std::runtime_error when it refuses.
    PostgresStore(std::string conninfo, unsigned connections,
                  Durability durability = Durability::flushLater,
                  Deadline until = waitFromNow(std::chrono::seconds(10)));
    ~PostgresStore() override;
    PostgresStore(const PostgresStore&) = delete;
    PostgresStore& operator=(const PostgresStore&) = delete;

protected:
    Placement submitBefore(const Submission& entry, Deadline until) override;
    std::vector<BoardRow> boardBefore(int32_t level, int64_t limit, Deadline until) override;
    uint64_t versionBefore(Deadline until) override;
    std::vector<EntryRow> entriesBefore(const EntryQuery& query, Deadline until) override;
    ModerationResult moderateBefore(Moderation what, const std::string& subject, int64_t at,
                                    Deadline until) override;
    std::vector<LoggedChange> changesSinceBefore(int64_t after, Deadline until) override;

private:
    class Lease;
    class Transaction;
    std::unique_ptr<PgConnection> take(Deadline until);
    void give(std::unique_ptr<PgConnection> c);
    // Runs `work` on a connection, in a transaction when `transaction` says so, again
    // when it may be run again.
    template <class Work> auto withConnection(bool transaction, Deadline until, Work work);

    const std::string conninfo_;
    const unsigned connections_;
    const Durability durability_;
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<std::unique_ptr<PgConnection>> idle_;
    unsigned open_ = 0;
};

// True when `db` names a PostgreSQL database (a postgresql:// or postgres:// URI, or a
// libpq key-value string such as "host=/run/postgresql dbname=liga") rather than a file.
bool namesPostgres(const std::string& db);

} // namespace liga
