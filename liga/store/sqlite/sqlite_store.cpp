// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_store.h"
#include "ranking.h"
#include "sqlite_checkpointer.h"
#include "sqlite_connection.h"
#include "sqlite_schema.h"
#include "sqlite_transaction.h"
#include "sqlite_views.h"

#include <sqlite3.h>

namespace liga {

namespace {

// Connections that read the pages' views, beside the one that reads the boards.
constexpr unsigned viewReaders = 4;

const char* const selectLog =
    "SELECT id, at, what, subject FROM moderation_log WHERE id > ?1 ORDER BY id";
// Level 0, name '' and held 0 ask for any; limit -1 for no limit.
const char* const selectEntries =
    "SELECT code, name, level, tenths, received_at, state, "
    "       EXISTS (SELECT 1 FROM barred WHERE barred.name = entries.name) "
    "FROM entries WHERE (?1 = 0 OR level = ?1) AND (?2 = '' OR name = ?2) "
    "AND (?3 = 0 OR state = 1) ORDER BY received_at DESC, id DESC LIMIT ?4";
// Names are ASCII, which NOCASE folds.
const char* const selectAlike =
    "SELECT name FROM entries WHERE name = ?1 COLLATE NOCASE AND name <> ?1 "
    "UNION SELECT name FROM barred WHERE name = ?1 COLLATE NOCASE AND name <> ?1 "
    "ORDER BY 1 LIMIT 20";
const char* const selectVersion = "SELECT coalesce(sum(n), 0) FROM changes";
const char* const selectBoard = "SELECT name, tenths, received_at FROM best WHERE level = ?1 "
                                "ORDER BY tenths, received_at, name LIMIT ?2";

} // namespace

SqliteStore::SqliteStore(const std::string& path, Durability durability)
    : writer_(std::make_unique<SqliteConnection>(path, true, durability)) {
    prepareSqliteSchema(*writer_, path);
    if (path == ":memory:" || path.empty()) {
        reading_ = writer_.get();
    } else {
        reader_ = std::make_unique<SqliteConnection>(path, false, durability);
        reading_ = reader_.get();
        checkpointer_ = std::make_unique<SqliteCheckpointer>(path, durability, *writer_);
        writer_->watch = reader_->watch = &checkpointer_->watch();
    }
    viewsReader_ = checkpointer_ ? std::make_unique<SqliteViewsReader>(
                                       path, durability, &checkpointer_->watch(), viewReaders)
                                 : std::make_unique<SqliteViewsReader>(*writer_);
    views_ = std::make_unique<ViewReads>(*viewsReader_);
}

SqliteStore::~SqliteStore() = default;

Views& SqliteStore::views() {
    return *views_;
}

template <class Work> auto SqliteStore::writing(Deadline until, Work work) {
    SqliteLease lease(*writer_, until);
    SqliteTransaction tx(*writer_);
    tx.statement("BEGIN IMMEDIATE").step();
    try {
        auto result = work(tx);
        tx.statement("COMMIT").step();
        return result;
    } catch (...) {
        sqlite3_exec(writer_->db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

Placement SqliteStore::submitBefore(const Submission& e, Deadline until) {
    return writing(until, [&](SqliteTransaction& tx) { return submitWithin(tx, e); });
}

ModerationResult SqliteStore::moderateBefore(Moderation what, const std::string& subject,
                                             int64_t at, Deadline until) {
    return writing(until,
                   [&](SqliteTransaction& tx) { return moderateWithin(tx, what, subject, at); });
}

std::vector<BoardRow> SqliteStore::boardBefore(int32_t level, int64_t limit, Deadline until) {
    SqliteLease lease(*reading_, until);
    std::vector<BoardRow> rows;
    SqliteStatement select(*reading_, selectBoard);
    select.bind(1, level).bind(2, limit);
    while (select.step())
        rows.push_back(
            {0, select.text(0), static_cast<int32_t>(select.integer(1)), select.integer(2)});
    numberPlaces(rows);
    return rows;
}

uint64_t SqliteStore::versionBefore(Deadline until) {
    SqliteLease lease(*reading_, until);
    SqliteStatement s(*reading_, selectVersion);
    s.step();
    return static_cast<uint64_t>(s.integer(0));
}

std::vector<EntryRow> SqliteStore::entriesBefore(const EntryQuery& q, Deadline until) {
    SqliteLease lease(*reading_, until);
    std::vector<EntryRow> rows;
    SqliteStatement s(*reading_, selectEntries);
    s.bind(1, q.level.value_or(0)).bind(2, q.name.value_or(std::string()));
    s.bind(3, q.heldOnly ? 1 : 0).bind(4, q.limit > 0 ? q.limit : -1);
    while (s.step())
        rows.push_back({s.text(0), s.text(1), static_cast<int32_t>(s.integer(2)),
                        static_cast<int32_t>(s.integer(3)), s.integer(4),
                        static_cast<EntryState>(s.integer(5)), s.integer(6) != 0});
    return rows;
}

std::vector<LoggedChange> SqliteStore::changesSinceBefore(int64_t after, Deadline until) {
    SqliteLease lease(*reading_, until);
    std::vector<LoggedChange> changes;
    SqliteStatement s(*reading_, selectLog);
    s.bind(1, after);
    while (s.step())
        changes.push_back(
            {s.integer(0), s.integer(1), static_cast<Moderation>(s.integer(2)), s.text(3)});
    return changes;
}

std::vector<std::string> SqliteStore::namesAlikeBefore(const std::string& name, Deadline until) {
    SqliteLease lease(*reading_, until);
    std::vector<std::string> names;
    SqliteStatement s(*reading_, selectAlike);
    s.bind(1, name);
    while (s.step()) names.push_back(s.text(0));
    return names;
}

} // namespace liga
