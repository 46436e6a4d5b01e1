// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"

#include <memory>
#include <string>

namespace liga {

class SqliteConnection;
class SqliteCheckpointer;
class SqliteViewsReader;
class ViewReads;

// The league in one SQLite file: every accepted code in `entries` (the code unique), each
// name's best time per level in `best`, how many names hold each time of a level in
// `time_counts`, and the count of changes in `changes`, all kept in step in one
// transaction; barred names in `barred`, what operators changed in `moderation_log`. Write-ahead
// logging, so that reading the boards never waits for a writer, also one in another process; every
// statement prepared once, values bound, never pasted in. One connection writes and one reads, each
// used by one thread at a time; a third one, in a thread of its own, copies the log back into the
// file, so that no request waits for that.
class SqliteStore final : public Store {
public:
    // Opens or creates the file (":memory:" for a store that lives in memory, read and
    // written through one connection), and brings its tables up to date.
    // Throws std::runtime_error when it cannot.
    explicit SqliteStore(const std::string& path, Durability durability = Durability::flushLater);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

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
    // Runs `work` with a SqliteTransaction on the writing connection, in BEGIN IMMEDIATE.
    template <class Work> auto writing(Deadline until, Work work);
    std::unique_ptr<SqliteConnection> writer_;
    std::unique_ptr<SqliteConnection> reader_; // the writer's when the store lives in memory
    SqliteConnection* reading_ = nullptr;
    std::unique_ptr<SqliteCheckpointer> checkpointer_; // none in memory
    std::unique_ptr<SqliteViewsReader> viewsReader_;
    std::unique_ptr<ViewReads> views_;
};

} // namespace liga
