// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_checkpointer.h"
#include "sqlite_sharers.h"

#include <chrono>
#include <sqlite3.h>
#include <sys/stat.h>

namespace liga {

SqliteCheckpointer::SqliteCheckpointer(const std::string& path, Durability durability,
                                       SqliteConnection& writer)
    : connection_(path, true, durability), writer_(writer), path_(path), log_(path + "-wal"),
      watch_(path), worker_(std::chrono::milliseconds(500), [this] { look(); }) {
    sqlite3_wal_hook(writer_.db, &SqliteCheckpointer::committed, this);
}

SqliteCheckpointer::~SqliteCheckpointer() {
    sqlite3_wal_hook(writer_.db, nullptr, nullptr);
    worker_.stop();
}

int SqliteCheckpointer::committed(void* self, sqlite3*, const char*, int pages) {
    auto* c = static_cast<SqliteCheckpointer*>(self);
    ++c->commits_;
    if (pages >= duePages) {
        c->due_ = true;
        c->worker_.wake();
    }
    return SQLITE_OK;
}

uint64_t SqliteCheckpointer::logSize() const {
    struct stat s {};
    return ::stat(log_.c_str(), &s) == 0 ? static_cast<uint64_t>(s.st_size) : 0;
}

void SqliteCheckpointer::look() {
    const bool due = due_.exchange(false);
    // Never a checkpoint into a file that is no longer the league's.
    if (!watch_.look()) return;
    const bool longLogNow = logSize() > longLog;
    // Quiet since the last look, with commits not yet copied: copied now, so that the file
    // is whole while the server idles, and closing it at a stop has no disk flush to wait
    // for. Not while another process has the file open: its watch would take the write
    // for a stranger's.
    const uint64_t commits = commits_;
    const bool quiet = commits == commitsLastLook_ && commits != commitsCopied_ &&
                       !sharedWithAnotherProcess(path_);
    commitsLastLook_ = commits;
    if (due || quiet) commitsCopied_ = commits;
    if (due || longLogNow || quiet)
        sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                  nullptr);
    if (longLogNow) {
        // What is left to copy after the passive one is little; without a busy handler it
        // gives up at once while a reader still needs the log.
        sqlite3_busy_timeout(connection_.db, 0);
        sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                  nullptr);
    }
    if (due || longLogNow || quiet) watch_.ownWrite();
}

} // namespace liga
