// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "database_watch.h"

#include <cstdio>
#include <sys/stat.h>

namespace liga {

DatabaseWatch::DatabaseWatch(std::string path) : path_(std::move(path)), known_(now()) {}

DatabaseWatch::Identity DatabaseWatch::now() const {
    struct stat s {};
    if (::stat(path_.c_str(), &s) != 0) return {};
    return {static_cast<uint64_t>(s.st_dev), static_cast<uint64_t>(s.st_ino),
            static_cast<uint64_t>(s.st_size),
            static_cast<int64_t>(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec, true};
}

bool DatabaseWatch::look() {
    if (gone_) return false;
    const Identity n = now();
    const bool same = n.exists && n.device == known_.device && n.inode == known_.inode;
    if (same && n.size == known_.size && n.modifiedNs == known_.modifiedNs) return true;
    gone_ = true;
    std::fprintf(stderr,
                 "liga: the league file %s was %s while the server ran; it stores nothing "
                 "more until it is restarted\n",
                 path_.c_str(), n.exists ? "replaced" : "deleted");
    std::fflush(stderr);
    return false;
}

void DatabaseWatch::ownWrite() {
    const Identity n = now();
    // A file replaced by another (a new inode) stays a stranger.
    if (n.exists && n.device == known_.device && n.inode == known_.inode) known_ = n;
}

} // namespace liga
