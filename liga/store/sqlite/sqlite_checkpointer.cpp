// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_checkpointer.h"

#include <chrono>
#include <sqlite3.h>
#include <sys/stat.h>

namespace liga {

SqliteCheckpointer::SqliteCheckpointer(const std::string& path, Durability durability,
                                       SqliteConnection& writer)
    : connection_(path, true, durability), writer_(writer), log_(path + "-wal"), watch_(path),
      worker_(std::chrono::milliseconds(500), [this] { look(); }) {
    sqlite3_wal_hook(writer_.db, &SqliteCheckpointer::committed, this);
}

SqliteCheckpointer::~SqliteCheckpointer() {
    sqlite3_wal_hook(writer_.db, nullptr, nullptr);
    worker_.stop();
}

int SqliteCheckpointer::committed(void* self, sqlite3*, const char*, int pages) {
    if (pages >= duePages) {
        auto* c = static_cast<SqliteCheckpointer*>(self);
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
    if (due || longLogNow)
        sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                  nullptr);
    if (longLogNow) {
        // What is left to copy after the passive one is little; without a busy handler it
        // gives up at once while a reader still needs the log.
        sqlite3_busy_timeout(connection_.db, 0);
        sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                  nullptr);
    }
    if (due || longLogNow) watch_.ownWrite();
}

} // namespace liga
