// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_checkpointer.h"
#include "file_mark.h"
#include "write_guard.h"

#include <chrono>
#include <sqlite3.h>
#include <sys/stat.h>

namespace liga {

SqliteCheckpointer::SqliteCheckpointer(const std::string& path, Durability durability,
                                       SqliteConnection& writer, DatabaseWatch& watch)
    : connection_(path, true, durability), writer_(writer), log_(path + "-wal"), watch_(watch),
      worker_(std::chrono::milliseconds(500), [this] { look(); }) {
    sqlite3_wal_hook(writer_.db, &SqliteCheckpointer::committed, this);
    guardWrites(connection_.db, watch_);
    watch_.whenGone = [this] { worker_.wake(); };
}

SqliteCheckpointer::~SqliteCheckpointer() {
    sqlite3_wal_hook(writer_.db, nullptr, nullptr);
    worker_.stop();
    watch_.whenGone = nullptr;
    if (watch_.gone()) connection_.leaveFileOnClose();
}

int SqliteCheckpointer::committed(void* self, sqlite3*, const char*, int pages) {
    auto* c = static_cast<SqliteCheckpointer*>(self);
    ++c->commits_;
    // Pages since the last checkpoint; the log starts from its beginning again once all
    // of it is in the file and no reader needs it.
    const int before = c->checkpointed_;
    if (pages - (pages < before ? 0 : before) >= duePages) {
        c->due_ = true;
        c->worker_.wake();
    }
    return SQLITE_OK;
}

uint64_t SqliteCheckpointer::logSize() const {
    struct stat s {};
    return ::stat(log_.c_str(), &s) == 0 ? static_cast<uint64_t>(s.st_size) : 0;
}

bool SqliteCheckpointer::stillTheLeagues() {
    if (watch_.look(connection_)) return true;
    watch_.clearAway(connection_);
    return false;
}

void SqliteCheckpointer::look() {
    const bool due = due_.exchange(false);
    // Never a checkpoint into a file that is no longer the league's.
    if (!stillTheLeagues()) return;
    const bool longLogNow = logSize() > longLog;
    // Quiet since the last look, with commits not yet copied: copied now, so that the file
    // is whole while the server idles, and closing it at a stop has no disk flush to wait
    // for.
    const uint64_t commits = commits_;
    const bool quiet = commits == commitsLastLook_ && commits != commitsCopied_;
    commitsLastLook_ = commits;
    if (!due && !longLogNow && !quiet) return;
    // The header that the checkpoint writes bears a mark that no copy of the file made
    // before has. It is set through the writing connection, in turn with the requests,
    // which would otherwise wait for it in the library's busy loop.
    bool marked = false;
    try {
        SqliteLease lease(writer_, waitFromNow());
        marked = renewFileMark(writer_, watch_.league());
    } catch (const StoreUnavailable&) {
    }
    if (!marked) {
        if (due) due_ = true;
        return;
    }
    // The mark's own commit is copied with the rest.
    commitsLastLook_ = commitsCopied_ = commits_;
    if (!watch_.lookBeforeWriting(connection_)) {
        watch_.clearAway(connection_);
        return;
    }
    int pages = -1;
    sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, &pages, nullptr);
    if (pages >= 0) checkpointed_ = pages;
    if (longLogNow) {
        // What is left to copy after the passive one is little; without a busy handler it
        // gives up at once while a reader still needs the log.
        sqlite3_busy_timeout(connection_.db, 0);
        sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                  nullptr);
    }
}

} // namespace liga
