// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_sharers.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace liga {

namespace {

// SQLite's unix locking: 8 lock bytes from offset 120 of the shared memory file, then the
// dead-man byte that every connection holds a read lock on.
constexpr off_t deadManByte = 120 + 8;

// A descriptor of this process on `file`, or -1; never opened here, so never closed.
int heldDescriptor(const std::string& file) {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir) return -1;
    int found = -1;
    char target[PATH_MAX];
    while (const dirent* e = ::readdir(dir)) {
        const std::string link = std::string("/proc/self/fd/") + e->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
        if (n > 0 && file.compare(0, std::string::npos, target, static_cast<std::size_t>(n)) == 0) {
            found = std::atoi(e->d_name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

bool sharedWithAnotherProcess(const std::string& path) {
    char real[PATH_MAX];
    if (!::realpath((path + "-shm").c_str(), real)) return true;
    const int fd = heldDescriptor(real);
    if (fd < 0) return true;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = deadManByte;
    lock.l_len = 1;
    // The process's own locks never conflict, so only another's is reported.
    return ::fcntl(fd, F_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
}

} // namespace liga
