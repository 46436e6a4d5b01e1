// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Where valid codes wait while the store cannot take them: a folder of files on the
// server's own disk, each written by one process alone, every code flushed to disk
// before its sender is answered.
#pragma once
#include "spool_record.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace liga {

// How many codes wait at most, in all and from one client, so that an outage is no way
// to flood the league.
struct SpoolBounds {
    std::size_t total = 10000;
    std::size_t perClient = 100;
};

enum class SpoolAnswer {
    kept,       // on disk now, stored once the store can
    keptBefore, // the same code waits already
    clientFull, // its client has perClient codes waiting
    full,       // total codes wait
    failed,     // the disk would not take it
};

// The spool of one server process. Its folder may be shared by the servers of one league:
// each takes a file of its own (0.spool, 1.spool, ..., held with an exclusive lock while
// it runs), so that no two write into one file, and a file that no process holds any more
// (its server ended, also by kill -9) is stored by whichever server finds it first.
class Spool final {
public:
    // Takes the first file in `folder` that no other process holds, making the folder (mode
    // 0700) and the file when missing; what a server before it left in that file waits as
    // its own. Throws std::runtime_error when the folder cannot be used.
    explicit Spool(std::string folder, SpoolBounds bounds = {});
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Keeps a valid code until it is stored; written and flushed to disk when it returns
    // kept. Any number of threads at once.
    SpoolAnswer add(const SpoolRecord& record);

    // Hands the waiting codes to `store`, oldest first, this server's own and then those
    // of files that no process holds, until `store` returns false (the store is away
    // again). What it took is marked stored on disk and leaves the spool; a file whose
    // codes are all stored is emptied. Returns how many it took. One thread at a time.
    std::size_t drain(const std::function<bool(const SpoolRecord&)>& store);

    // Codes in this server's own file that wait.
    std::size_t waiting() const;
    const std::string& folder() const { return folder_; }
    const SpoolBounds& bounds() const { return bounds_; }
    // The file this server writes.
    const std::string& file() const { return path_; }

    // Whether the store is known to be away: then a code goes to the spool without
    // waiting for the store first, until a drain finds it back.
    bool storeAway() const { return storeAway_; }
    // Sets it; true when it was not set yet.
    bool markStoreAway() { return !storeAway_.exchange(true); }
    void markStoreBack() { storeAway_ = false; }

private:
    struct Waiting {
        std::size_t offset;
        SpoolRecord record;
    };
    void forget(const Waiting& w); // with mutex_
    // Marks the lines at these offsets of `fd` stored and flushes them.
    static bool markStored(int fd, const std::vector<std::size_t>& offsets);
    // Stores what waits in another process's file once no process holds it; false when
    // `store` said stop.
    bool drainOrphan(const std::string& path, const std::function<bool(const SpoolRecord&)>& store,
                     std::size_t& taken);

    const std::string folder_;
    const SpoolBounds bounds_;
    std::string path_;
    int fd_ = -1;
    mutable std::mutex mutex_;
    std::mutex draining_;
    std::size_t end_ = 0; // where the next line goes
    std::deque<Waiting> waiting_;
    std::unordered_map<std::string, std::size_t> perClient_;
    std::unordered_set<std::string> codes_;
    std::atomic<bool> storeAway_ = false;
};

// The spool's folder when --spool names none: beside an SQLite file (PATH-spool); for a
// PostgreSQL database the service's state folder ($STATE_DIRECTORY/spool, as systemd
// sets it) or else ${XDG_STATE_HOME:-~/.local/state}/zundel-liga/spool.
std::string defaultSpoolFolder(const std::string& db);

} // namespace liga
