// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

struct sqlite3_file;

namespace liga {

class SqliteConnection;

// Whether the path still leads to the league's SQLite file, looked at through each
// connection before and after every call on it: the path's file must be the one the
// connection has open (not deleted, moved away or renamed over), and the first bytes of
// that file must be the league's (not copied over). Any number of processes may write and
// checkpoint the league through SQLite: a checkpoint changes those bytes only by the
// league's next mark (file_mark.h), which each process takes for the league's own.
//
// From the first look that finds otherwise the store writes nothing more, neither entries
// nor checkpoints, and one line goes to stderr. Its log and index files beside the path
// are then taken away, so that a server started there reads the file that is there alone.
class DatabaseWatch final {
public:
    // Takes the file that `c` has open as the league's, as it is now, and the log and
    // index beside it as the league's.
    explicit DatabaseWatch(SqliteConnection& c);
    DatabaseWatch(const DatabaseWatch&) = delete;
    DatabaseWatch& operator=(const DatabaseWatch&) = delete;

    // Looks through `c`, which the caller holds and which is in no transaction; false from
    // the first look that found the file deleted or replaced.
    bool look(SqliteConnection& c);
    // The same, right before the library writes into the file through `c` (a checkpoint):
    // from then on it may only grow the file, until it truncates it itself.
    bool lookBeforeWriting(SqliteConnection& c);
    bool gone() const { return gone_; }
    // The league's own number (file_mark.h).
    int64_t league() const { return league_; }
    // Once gone: a league file that was moved rather than overwritten gets its log written
    // into it, wherever it is now; then the log and index beside the path go when they
    // are the league's. Once, through `c`, a writing connection in no transaction.
    void clearAway(SqliteConnection& c);

    // Whether the library may write `amount` bytes of `data` at `offset` into the file
    // (no data for a truncation to `offset`, nor for a size hint, at -1) through `file`,
    // its handle below the guard (write_guard.h): while the file's first bytes are those
    // the last look took for the league's, or those a write through it put there, and the
    // file is no shorter than the look before writing and the writes since left it.
    bool mayWrite(sqlite3_file* file, const void* data, int amount, int64_t offset);

    // Called once, in the thread whose look found the file gone.
    std::function<void()> whenGone;

private:
    using Header = std::array<unsigned char, 100>;
    enum class Loss { none, moved, overwritten };
    struct FileId {
        uint64_t device = 0, inode = 0;
        bool exists = false;
    };
    static FileId idOf(const std::string& path);
    static bool read(sqlite3_file* file, Header& h);
    static bool read(SqliteConnection& c, Header& h);
    bool theLeagues(SqliteConnection& c, const Header& h);
    bool lost(Loss why);

    std::string path_; // as SQLite resolved it
    FileId log_, index_;
    std::mutex mutex_;
    int64_t league_ = 0;
    Header known_{};
    int64_t knownOrder_ = 0;
    int64_t knownSize_ = 0;
    // The header that a write since the look before writing put into the file: the next
    // look takes it for the league's by its mark, as any other.
    Header written_{};
    bool ownHeader_ = false;
    std::atomic<bool> gone_ = false;
    std::atomic<bool> cleared_ = false;
    Loss loss_ = Loss::none;
};

} // namespace liga
