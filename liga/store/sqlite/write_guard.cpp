// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "write_guard.h"
#include "database_watch.h"

#include <atomic>
#include <mutex>
#include <new>
#include <sqlite3.h>
#include <stdexcept>

namespace liga {

namespace {

const char* const name = "zundel-liga";
sqlite3_vfs* below = nullptr; // the library's default, which does the work
sqlite3_vfs guarded{};

// The handle the library holds: the guard's part, then the one below it.
struct Guarded {
    sqlite3_file base;
    std::atomic<DatabaseWatch*> watch;
    sqlite3_file* file() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};

Guarded* guard(sqlite3_file* f) {
    return reinterpret_cast<Guarded*>(f);
}
sqlite3_file* file(sqlite3_file* f) {
    return guard(f)->file();
}
const sqlite3_io_methods& methods(sqlite3_file* f) {
    return *file(f)->pMethods;
}

bool allowed(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    DatabaseWatch* watch = guard(f)->watch.load();
    return !watch || watch->mayWrite(file(f), data, amount, offset);
}

const sqlite3_io_methods guardedMethods = {
    3,
    [](sqlite3_file* f) {
        const int rc = methods(f).xClose(file(f));
        guard(f)->watch.~atomic();
        return rc;
    },
    [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
        return methods(f).xRead(file(f), data, amount, offset);
    },
    [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
        if (!allowed(f, data, amount, offset)) return SQLITE_IOERR_WRITE;
        return methods(f).xWrite(file(f), data, amount, offset);
    },
    [](sqlite3_file* f, sqlite3_int64 size) {
        if (!allowed(f, nullptr, 0, size)) return SQLITE_IOERR_TRUNCATE;
        return methods(f).xTruncate(file(f), size);
    },
    [](sqlite3_file* f, int flags) { return methods(f).xSync(file(f), flags); },
    [](sqlite3_file* f, sqlite3_int64* size) { return methods(f).xFileSize(file(f), size); },
    [](sqlite3_file* f, int lock) { return methods(f).xLock(file(f), lock); },
    [](sqlite3_file* f, int lock) { return methods(f).xUnlock(file(f), lock); },
    [](sqlite3_file* f, int* out) { return methods(f).xCheckReservedLock(file(f), out); },
    [](sqlite3_file* f, int op, void* arg) {
        // A size hint may grow the file before a checkpoint writes.
        if (op == SQLITE_FCNTL_SIZE_HINT && !allowed(f, nullptr, 0, -1)) return SQLITE_IOERR_WRITE;
        return methods(f).xFileControl(file(f), op, arg);
    },
    [](sqlite3_file* f) { return methods(f).xSectorSize(file(f)); },
    [](sqlite3_file* f) { return methods(f).xDeviceCharacteristics(file(f)); },
    [](sqlite3_file* f, int region, int size, int extend, void volatile** at) {
        return methods(f).xShmMap(file(f), region, size, extend, at);
    },
    [](sqlite3_file* f, int offset, int n, int flags) {
        return methods(f).xShmLock(file(f), offset, n, flags);
    },
    [](sqlite3_file* f) { methods(f).xShmBarrier(file(f)); },
    [](sqlite3_file* f, int deleteFlag) { return methods(f).xShmUnmap(file(f), deleteFlag); },
    [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** at) {
        return methods(f).xFetch(file(f), offset, amount, at);
    },
    [](sqlite3_file* f, sqlite3_int64 offset, void* at) {
        return methods(f).xUnfetch(file(f), offset, at);
    },
};

// Only the league's file itself is guarded; its log and index are the library's alone.
int open(sqlite3_vfs*, const char* path, sqlite3_file* f, int flags, int* outFlags) {
    if (!(flags & SQLITE_OPEN_MAIN_DB)) return below->xOpen(below, path, f, flags, outFlags);
    Guarded* g = guard(f);
    g->base.pMethods = nullptr;
    const int rc = below->xOpen(below, path, g->file(), flags, outFlags);
    if (!g->file()->pMethods) return rc;
    new (&g->watch) std::atomic<DatabaseWatch*>(nullptr);
    g->base.pMethods = &guardedMethods;
    return rc;
}

void install() {
    below = sqlite3_vfs_find(nullptr);
    if (!below || below->iVersion < 3) throw std::runtime_error("SQLite has no file access");
    guarded = *below;
    guarded.zName = name;
    guarded.pNext = nullptr;
    guarded.szOsFile = static_cast<int>(sizeof(Guarded)) + below->szOsFile;
    guarded.xOpen = open;
    // The library's other calls take no notice of which file access they belong to.
    guarded.xDelete = [](sqlite3_vfs*, const char* path, int sync) {
        return below->xDelete(below, path, sync);
    };
    guarded.xAccess = [](sqlite3_vfs*, const char* path, int flags, int* out) {
        return below->xAccess(below, path, flags, out);
    };
    guarded.xFullPathname = [](sqlite3_vfs*, const char* path, int n, char* out) {
        return below->xFullPathname(below, path, n, out);
    };
    if (sqlite3_vfs_register(&guarded, 0) != SQLITE_OK)
        throw std::runtime_error("cannot register the league's file access");
}

} // namespace

const char* guardedFileAccess() {
    static std::once_flag once;
    std::call_once(once, install);
    return name;
}

void guardWrites(sqlite3* db, DatabaseWatch& watch) {
    sqlite3_file* f = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &f) == SQLITE_OK && f &&
        f->pMethods == &guardedMethods)
        guard(f)->watch = &watch;
}

} // namespace liga
