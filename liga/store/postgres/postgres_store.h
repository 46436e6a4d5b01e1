// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"

#include <memory>
#include <string>
#include <vector>

namespace liga {

class PgPool;
struct PgCall;
class PostgresViewsReader;
class ViewReads;

// The league in a PostgreSQL database, which several server processes may share: the
// same tables as the SQLite file (entries, best, time_counts, changes, barred,
// moderation_log), created when missing, with the schema's version in league_meta
// (postgres_schema.h). Plain SQL that CockroachDB takes too; every statement with values
// prepared, the values bound; connections in a PgPool of at most `connections`.
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

    Views& views() override;

protected:
    Placement submitBefore(const Submission& entry, Deadline until) override;
    std::vector<BoardRow> boardBefore(int32_t level, int64_t limit, Deadline until) override;
    uint64_t versionBefore(Deadline until) override;
    std::vector<EntryRow> entriesBefore(const EntryQuery& query, Deadline until) override;
    ModerationResult moderateBefore(Moderation what, const std::string& subject, int64_t at,
                                    Deadline until) override;
    std::vector<LoggedChange> changesSinceBefore(int64_t after, Deadline until) override;
    std::vector<std::string> namesAlikeBefore(const std::string& name, Deadline until) override;

private:
    // Runs `work` with a PostgresTransaction in a transaction, and writes what it held back.
    // `begin`: the statements that begin the transaction, sent with its first one.
    template <class Work>
    auto transaction(Deadline until, Work work, const std::vector<PgCall>& begin = {});
    std::unique_ptr<PgPool> pool_;
    std::unique_ptr<PostgresViewsReader> viewsReader_;
    std::unique_ptr<ViewReads> views_;
};

// True when `db` names a PostgreSQL database (a postgresql:// or postgres:// URI, or a
// libpq key-value string such as "host=/run/postgresql dbname=liga") rather than a file.
bool namesPostgres(const std::string& db);

} // namespace liga
