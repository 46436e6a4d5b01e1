// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_store.h"
#include "postgres_pool.h"
#include "postgres_schema.h"
#include "postgres_statements.h"
#include "postgres_transaction.h"
#include "postgres_views.h"
#include "ranking.h"

#include <cctype>
#include <cstdint>

namespace liga {

namespace {

std::string number(int64_t n) {
    return std::to_string(n);
}

} // namespace

bool namesPostgres(const std::string& db) {
    if (db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0) return true;
    // "keyword = value ...": a path has no '=' right behind its first word.
    std::size_t i = 0;
    while (i < db.size() && (std::isalpha(static_cast<unsigned char>(db[i])) || db[i] == '_')) ++i;
    while (i < db.size() && db[i] == ' ') ++i;
    return i > 0 && i < db.size() && db[i] == '=';
}

PostgresStore::PostgresStore(std::string conninfo, unsigned connections, Durability durability,
                             Deadline until) {
    // Before the tables are up to date no statement of the pool is prepared, as one may
    // name what is still missing.
    preparePostgresSchema(conninfo, until);
    pool_ = std::make_unique<PgPool>(std::move(conninfo), connections, durability);
    viewsReader_ = std::make_unique<PostgresViewsReader>(*pool_);
    views_ = std::make_unique<ViewReads>(*viewsReader_);
}

PostgresStore::~PostgresStore() = default;

Views& PostgresStore::views() {
    return *views_;
}

template <class Work>
auto PostgresStore::transaction(Deadline until, Work work, const std::vector<PgCall>& begin) {
    return pool_->withConnection(
        true, until,
        [&](PgConnection& c) {
            PostgresTransaction tx(c, until, begin);
            auto result = work(tx);
            tx.flush();
            return result;
        },
        begin.empty() ? "BEGIN" : nullptr);
}

Placement PostgresStore::submitBefore(const Submission& e, Deadline until) {
    return transaction(
        until, [&](PostgresTransaction& tx) { return submitWithin(tx, e); }, beginSubmission());
}

std::vector<BoardRow> PostgresStore::boardBefore(int32_t level, int64_t limit, Deadline until) {
    return pool_->withConnection(false, until, [&](PgConnection& c) {
        const PgRows r = c.run("board", {number(level), number(limit)}, until);
        std::vector<BoardRow> rows;
        for (int i = 0; i < r.count(); ++i)
            rows.push_back(
                {0, r.text(i, 0), static_cast<int32_t>(r.integer(i, 1)), r.integer(i, 2)});
        numberPlaces(rows);
        return rows;
    });
}

uint64_t PostgresStore::versionBefore(Deadline until) {
    return pool_->withConnection(false, until, [&](PgConnection& c) {
        return static_cast<uint64_t>(c.run("version", {}, until).integer(0, 0));
    });
}

ModerationResult PostgresStore::moderateBefore(Moderation what, const std::string& subject,
                                               int64_t at, Deadline until) {
    return transaction(
        until, [&](PostgresTransaction& tx) { return moderateWithin(tx, what, subject, at); });
}

std::vector<EntryRow> PostgresStore::entriesBefore(const EntryQuery& q, Deadline until) {
    return pool_->withConnection(false, until, [&](PgConnection& c) {
        const PgRows r =
            c.run("entries",
                  {number(q.level.value_or(0)), q.name.value_or(std::string()),
                   number(q.heldOnly ? 1 : 0), number(q.limit > 0 ? q.limit : INT64_MAX)},
                  until);
        std::vector<EntryRow> rows;
        for (int i = 0; i < r.count(); ++i)
            rows.push_back({r.text(i, 0), r.text(i, 1), static_cast<int32_t>(r.integer(i, 2)),
                            static_cast<int32_t>(r.integer(i, 3)), r.integer(i, 4),
                            static_cast<EntryState>(r.integer(i, 5)), r.text(i, 6) == "t"});
        return rows;
    });
}

std::vector<LoggedChange> PostgresStore::changesSinceBefore(int64_t after, Deadline until) {
    return pool_->withConnection(false, until, [&](PgConnection& c) {
        const PgRows r = c.run("changes_since", {number(after)}, until);
        std::vector<LoggedChange> changes;
        for (int i = 0; i < r.count(); ++i)
            changes.push_back({r.integer(i, 0), r.integer(i, 1),
                               static_cast<Moderation>(r.integer(i, 2)), r.text(i, 3)});
        return changes;
    });
}

std::vector<std::string> PostgresStore::namesAlikeBefore(const std::string& name, Deadline until) {
    return pool_->withConnection(false, until, [&](PgConnection& c) {
        const PgRows r = c.run("names_alike", {name}, until);
        std::vector<std::string> names;
        for (int i = 0; i < r.count(); ++i) names.push_back(r.text(i, 0));
        return names;
    });
}

} // namespace liga
