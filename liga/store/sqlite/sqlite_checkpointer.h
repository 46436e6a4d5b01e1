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
// Each checkpoint comes after a new mark (file_mark.h) and a look whether the file is
// still the league's. Twice a second it also looks at the file, clears away what a file
// found gone leaves beside the path, brings a log that a long reader made long back to
// nothing once no reader needs it, and copies the log back once the server has been quiet
// for a look.
class SqliteCheckpointer {
public:
    // Pages of log since the last checkpoint that make one due. A page that many commits
    // change is copied once per checkpoint: at a quarter of this (the library's default)
    // the copies cost a busy league a tenth of its submissions.
    static constexpr int duePages = 4000;
    // A log longer than this is emptied as soon as readers let it; as long as the log that
    // makes a checkpoint due, as journal_size_limit keeps it after one.
    static constexpr uint64_t longLog = 16u << 20;

    // Watches the commits of `writer`, a connection on the same file, and the file with
    // `watch`.
    SqliteCheckpointer(const std::string& path, Durability durability, SqliteConnection& writer,
                       DatabaseWatch& watch);
    ~SqliteCheckpointer();
    SqliteCheckpointer(const SqliteCheckpointer&) = delete;
    SqliteCheckpointer& operator=(const SqliteCheckpointer&) = delete;

private:
    static int committed(void* self, sqlite3*, const char*, int pages);
    uint64_t logSize() const;
    void look();
    bool stillTheLeagues();

    SqliteConnection connection_;
    SqliteConnection& writer_;
    const std::string log_;
    DatabaseWatch& watch_;
    std::atomic<bool> due_ = false;
    std::atomic<int> checkpointed_ = 0; // pages of log that the last checkpoint found
    std::atomic<uint64_t> commits_ = 1; // by the writer; the first made the file ready
    uint64_t commitsLastLook_ = 0;      // as the last look found them
    uint64_t commitsCopied_ = 0;        // when the last checkpoint was made
    PeriodicWorker worker_;
};

} // namespace liga
