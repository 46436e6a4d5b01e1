// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "database_watch.h"
#include "periodic_worker.h"
#include "sqlite_connection.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace liga {

// Copies the log back into the file once a commit has made it long, in a thread and on a
// connection of its own, without waiting for readers or writers (a passive checkpoint):
// at a commit the library would do it in the committing request, with its disk flushes.
// Twice a second it also looks whether the file is still the league's, brings a log that a
// long reader made long back to nothing once no reader needs it, and copies the log back
// once the server has been quiet for a look.
class SqliteCheckpointer {
public:
    // Pages of log that make a checkpoint due; the library's own default.
    static constexpr int duePages = 1000;
    // A log longer than this is emptied as soon as readers let it.
    static constexpr uint64_t longLog = 4u << 20;

    // Watches the commits of `writer`, a connection on the same file.
    SqliteCheckpointer(const std::string& path, Durability durability, SqliteConnection& writer);
    ~SqliteCheckpointer();
    SqliteCheckpointer(const SqliteCheckpointer&) = delete;
    SqliteCheckpointer& operator=(const SqliteCheckpointer&) = delete;

    const DatabaseWatch& watch() const { return watch_; }

private:
    static int committed(void* self, sqlite3*, const char*, int pages);
    uint64_t logSize() const;
    void look();

    SqliteConnection connection_;
    SqliteConnection& writer_;
    const std::string path_;
    const std::string log_;
    DatabaseWatch watch_;
    std::atomic<bool> due_ = false;
    std::atomic<uint64_t> commits_ = 1; // by the writer; the first made the file ready
    uint64_t commitsLastLook_ = 0;      // as the last look found them
    uint64_t commitsCopied_ = 0;        // when the last checkpoint was made
    PeriodicWorker worker_;
};

} // namespace liga
