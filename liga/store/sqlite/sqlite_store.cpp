// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_store.h"
#include "database_watch.h"
#include "ranking.h"
#include "sqlite_checkpointer.h"
#include "sqlite_connection.h"
#include "sqlite_schema.h"
#include "sqlite_transaction.h"
#include "sqlite_views.h"
#include "write_guard.h"

#include <sqlite3.h>

namespace liga {

namespace {

// Each submission of a batch in a savepoint of its own.
const char* const savepoint = "SAVEPOINT submission";
const char* const release = "RELEASE submission";
const char* const rollbackTo = "ROLLBACK TO submission";

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
        watch_ = std::make_unique<DatabaseWatch>(*writer_);
        checkpointer_ = std::make_unique<SqliteCheckpointer>(path, durability, *writer_, *watch_);
        writer_->watch = reader_->watch = watch_.get();
        guardWrites(writer_->db, *watch_);
        guardWrites(reader_->db, *watch_);
    }
    viewsReader_ = watch_
                       ? std::make_unique<SqliteViewsReader>(path, durability, *watch_, viewReaders)
                       : std::make_unique<SqliteViewsReader>(*writer_);
    views_ = std::make_unique<ViewReads>(*viewsReader_);
}

SqliteStore::~SqliteStore() {
    if (!watch_) return;
    checkpointer_.reset();
    // As the last connection on the file closes, the library would checkpoint into it and
    // delete the log and index beside the path: not when the file is no longer the league's.
    if (!watch_->lookBeforeWriting(*writer_)) {
        watch_->clearAway(*writer_);
        writer_->leaveFileOnClose();
        reader_->leaveFileOnClose();
        viewsReader_->leaveFileOnClose();
    }
}

Views& SqliteStore::views() {
    return *views_;
}

template <class Work> auto SqliteStore::writing(Deadline until, Work work) {
    SqliteLease lease(*writer_, until);
    return committed(work);
}

template <class Work> auto SqliteStore::committed(Work work) {
    SqliteTransaction tx(*writer_);
    auto result = [&] {
        try {
            tx.statement("BEGIN IMMEDIATE").step();
            auto done = work(tx);
            tx.flush();
            tx.statement("COMMIT").step();
            return done;
        } catch (...) {
            sqlite3_exec(writer_->db, "ROLLBACK", nullptr, nullptr, nullptr);
            checkLeagueFile(*writer_);
            throw;
        }
    }();
    // Nothing is answered that is not in the file on the path.
    checkLeagueFile(*writer_);
    return result;
}

template <class Work> auto SqliteStore::reading(Deadline until, Work work) {
    SqliteLease lease(*reading_, until);
    try {
        return work(*reading_);
    } catch (...) {
        checkLeagueFile(*reading_);
        throw;
    }
}

Placement SqliteStore::submitBefore(const Submission& e, Deadline until) {
    return batches_.submit(e, until, [this](const SubmissionBatches::Take& take, Deadline by) {
        SqliteLease lease(*writer_, by);
        const SubmissionBatches::Batch batch = take();
        Deadline earliest = by;
        for (const auto* w : batch) earliest = std::min(earliest, w->until);
        waitNoLongerThan(*writer_, earliest);
        const std::vector<std::optional<Placement>> placed = committed([&](SqliteTransaction& tx) {
            std::vector<std::optional<Placement>> places(batch.size());
            for (std::size_t i = 0; i < batch.size(); ++i) {
                tx.statement(savepoint).step();
                try {
                    places[i] = submitWithin(tx, *batch[i]->entry);
                    tx.flush();
                    tx.statement(release).step();
                } catch (const StoreUnavailable&) {
                    throw; // the database's, not the entry's: none of the batch is written
                } catch (...) {
                    tx.statement(rollbackTo).step();
                    tx.statement(release).step();
                    // A file lost under the batch fails all of it, not this entry alone.
                    checkLeagueFile(*writer_);
                    batch[i]->error = std::current_exception();
                }
            }
            return places;
        });
        // Committed: now each is placed.
        for (std::size_t i = 0; i < batch.size(); ++i) batch[i]->placed = placed[i];
    });
}

ModerationResult SqliteStore::moderateBefore(Moderation what, const std::string& subject,
                                             int64_t at, Deadline until) {
    return writing(until,
                   [&](SqliteTransaction& tx) { return moderateWithin(tx, what, subject, at); });
}

std::vector<BoardRow> SqliteStore::boardBefore(int32_t level, int64_t limit, Deadline until) {
    return reading(until, [&](SqliteConnection& c) {
        std::vector<BoardRow> rows;
        SqliteStatement select(c, selectBoard);
        select.bind(1, level).bind(2, limit);
        while (select.step())
            rows.push_back(
                {0, select.text(0), static_cast<int32_t>(select.integer(1)), select.integer(2)});
        numberPlaces(rows);
        return rows;
    });
}

uint64_t SqliteStore::versionBefore(Deadline until) {
    return reading(until, [&](SqliteConnection& c) {
        SqliteStatement s(c, selectVersion);
        s.step();
        return static_cast<uint64_t>(s.integer(0));
    });
}

std::vector<EntryRow> SqliteStore::entriesBefore(const EntryQuery& q, Deadline until) {
    return reading(until, [&](SqliteConnection& c) {
        std::vector<EntryRow> rows;
        SqliteStatement s(c, selectEntries);
        s.bind(1, q.level.value_or(0)).bind(2, q.name.value_or(std::string()));
        s.bind(3, q.heldOnly ? 1 : 0).bind(4, q.limit > 0 ? q.limit : -1);
        while (s.step())
            rows.push_back({s.text(0), s.text(1), static_cast<int32_t>(s.integer(2)),
                            static_cast<int32_t>(s.integer(3)), s.integer(4),
                            static_cast<EntryState>(s.integer(5)), s.integer(6) != 0});
        return rows;
    });
}

std::vector<LoggedChange> SqliteStore::changesSinceBefore(int64_t after, Deadline until) {
    return reading(until, [&](SqliteConnection& c) {
        std::vector<LoggedChange> changes;
        SqliteStatement s(c, selectLog);
        s.bind(1, after);
        while (s.step())
            changes.push_back(
                {s.integer(0), s.integer(1), static_cast<Moderation>(s.integer(2)), s.text(3)});
        return changes;
    });
}

std::vector<std::string> SqliteStore::namesAlikeBefore(const std::string& name, Deadline until) {
    return reading(until, [&](SqliteConnection& c) {
        std::vector<std::string> names;
        SqliteStatement s(c, selectAlike);
        s.bind(1, name);
        while (s.step()) names.push_back(s.text(0));
        return names;
    });
}

} // namespace liga
