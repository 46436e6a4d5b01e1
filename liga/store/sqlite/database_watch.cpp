// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "database_watch.h"
#include "file_mark.h"
#include "sqlite_connection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace liga {

namespace {

// The header's magic text and page size.
constexpr std::size_t kindOfFile = 18;

} // namespace

DatabaseWatch::FileId DatabaseWatch::idOf(const std::string& path) {
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0) return {};
    return {static_cast<uint64_t>(s.st_dev), static_cast<uint64_t>(s.st_ino), true};
}

DatabaseWatch::DatabaseWatch(SqliteConnection& c) : path_(sqlite3_db_filename(c.db, "main")) {
    const std::optional<int64_t> league = leagueOfFile(c);
    if (!league) throw std::runtime_error(path_ + " has no mark");
    league_ = *league;
    if (!read(c, known_)) throw std::runtime_error("cannot read " + path_);
    if (markOfHeader(known_.data()) == 0) {
        // A league new to marks: its first one goes into the file now, while it surely is
        // the league's.
        sqlite3_wal_checkpoint_v2(c.db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        if (!read(c, known_)) throw std::runtime_error("cannot read " + path_);
    }
    if (const int32_t mark = markOfHeader(known_.data()); mark != 0)
        knownOrder_ = fileMarkOrder(c, mark, league_).value_or(0);
    log_ = idOf(path_ + "-wal");
    index_ = idOf(path_ + "-shm");
}

bool DatabaseWatch::read(sqlite3_file* f, Header& h) {
    // A short read, of a file emptied for a copy, fails too.
    return f && f->pMethods &&
           f->pMethods->xRead(f, h.data(), static_cast<int>(h.size()), 0) == SQLITE_OK;
}

bool DatabaseWatch::read(SqliteConnection& c, Header& h) {
    sqlite3_file* f = nullptr;
    return sqlite3_file_control(c.db, "main", SQLITE_FCNTL_FILE_POINTER, &f) == SQLITE_OK &&
           read(f, h);
}

bool DatabaseWatch::mayWrite(sqlite3_file* file, const void* data, int amount, int64_t offset) {
    if (gone_) {
        // The league's own file, wherever it was moved, may take its log.
        std::lock_guard lock(mutex_);
        return loss_ == Loss::moved;
    }
    Header h;
    sqlite3_int64 size = 0;
    // A file shorter than a header, or shorter than this process's checkpoint left it,
    // which no other one writes meanwhile: another program is copying over it. (A copy
    // made before the checkpoint wrote the first page would bear that page's header.)
    if (!read(file, h) || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return lost(Loss::overwritten);
    std::unique_lock lock(mutex_);
    if (size < knownSize_) {
        lock.unlock();
        return lost(Loss::overwritten);
    }
    // Another process's checkpoint since the last look, or another program's copy: the
    // next look, which can ask the league, tells which.
    if (h != known_ && !(ownHeader_ && h == written_)) return false;
    if (data && offset == 0 && amount >= static_cast<int>(h.size())) {
        std::memcpy(written_.data(), data, written_.size());
        ownHeader_ = true;
    }
    if (data)
        knownSize_ = std::max<int64_t>(knownSize_, offset + amount);
    else if (offset >= 0)
        knownSize_ = offset;
    return true;
}

bool DatabaseWatch::look(SqliteConnection& c) {
    if (gone_) return false;
    int moved = 0;
    if (sqlite3_file_control(c.db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved)
        return lost(Loss::moved);
    // A header read while another process's checkpoint writes it may come torn: once more.
    Header h;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (read(c, h) && theLeagues(c, h)) return true;
    }
    return lost(Loss::overwritten);
}

bool DatabaseWatch::lookBeforeWriting(SqliteConnection& c) {
    if (!look(c)) return false;
    sqlite3_file* f = nullptr;
    sqlite3_int64 size = 0;
    if (sqlite3_file_control(c.db, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f ||
        f->pMethods->xFileSize(f, &size) != SQLITE_OK)
        return false;
    std::lock_guard lock(mutex_);
    knownSize_ = size;
    ownHeader_ = false;
    return true;
}

bool DatabaseWatch::theLeagues(SqliteConnection& c, const Header& h) {
    const int32_t mark = markOfHeader(h.data());
    {
        std::lock_guard lock(mutex_);
        if (h == known_) return true;
        if (std::memcmp(h.data(), known_.data(), kindOfFile) != 0) return false;
        if (mark == markOfHeader(known_.data())) {
            known_ = h; // a checkpoint that brought no new mark, or one before any mark
            return true;
        }
    }
    if (mark == 0) return false;
    std::optional<int64_t> order;
    try {
        order = fileMarkOrder(c, mark, league_);
    } catch (const std::exception&) {
        return false; // what SQLite reads there is no league
    }
    std::lock_guard lock(mutex_);
    if (!order || *order < knownOrder_) return false;
    known_ = h;
    knownOrder_ = *order;
    return true;
}

bool DatabaseWatch::lost(Loss why) {
    {
        std::lock_guard lock(mutex_);
        if (gone_) return false;
        loss_ = why;
        gone_ = true;
    }
    const char* what = why == Loss::overwritten ? "overwritten by another program"
                       : idOf(path_).exists     ? "replaced by another file"
                                                : "deleted or moved away";
    std::fprintf(stderr,
                 "liga: the league file %s was %s; it stores nothing more until restarted\n",
                 path_.c_str(), what);
    std::fflush(stderr);
    if (whenGone) whenGone();
    return false;
}

void DatabaseWatch::clearAway(SqliteConnection& c) {
    if (!gone_ || cleared_.exchange(true)) return;
    Loss why = Loss::none;
    {
        std::lock_guard lock(mutex_);
        why = loss_;
    }
    if (why == Loss::moved) {
        // The league's own file, wherever it is now, takes what its log holds.
        sqlite3_busy_timeout(c.db, static_cast<int>(defaultWait.count()));
        sqlite3_wal_checkpoint_v2(c.db, nullptr, SQLITE_CHECKPOINT_FULL, nullptr, nullptr);
    }
    for (const auto& [name, id] : {std::pair{path_ + "-wal", log_}, {path_ + "-shm", index_}}) {
        const FileId now = idOf(name);
        if (id.exists && now.exists && now.device == id.device && now.inode == id.inode)
            ::unlink(name.c_str());
    }
}

} // namespace liga
