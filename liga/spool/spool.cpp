// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spool.h"
#include "postgres_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace liga {

namespace {

// Servers that may share one folder at once.
constexpr int slots = 256;
const char* const suffix = ".spool";

std::runtime_error failure(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

bool writeAll(int fd, std::string_view bytes, std::size_t at) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        at += static_cast<std::size_t>(n);
    }
    return true;
}

std::string readAll(int fd) {
    std::string bytes;
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

// The folder and every folder above it that is missing, the last one for this user alone.
void makeFolder(const std::string& folder) {
    for (std::size_t at = 1; at != std::string::npos;) {
        at = folder.find('/', at);
        const std::string part = folder.substr(0, at);
        if (at != std::string::npos) ++at;
        if (part.empty() || ::mkdir(part.c_str(), at == std::string::npos ? 0700 : 0755) == 0 ||
            errno == EEXIST)
            continue;
        throw failure("cannot make the spool folder " + part);
    }
    struct stat s {};
    if (::stat(folder.c_str(), &s) != 0 || !S_ISDIR(s.st_mode))
        throw std::runtime_error("the spool folder " + folder + " is not a folder");
}

// The new file's name is on disk too, not only its bytes.
void flushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

Spool::Spool(std::string folder, SpoolBounds bounds)
    : folder_(std::move(folder)), bounds_{std::max<std::size_t>(bounds.total, 1),
                                          std::clamp<std::size_t>(
                                              bounds.perClient, 1,
                                              std::max<std::size_t>(bounds.total, 1))} {
    makeFolder(folder_);
    for (int slot = 0; slot < slots && fd_ < 0; ++slot) {
        const std::string path = folder_ + "/" + std::to_string(slot) + suffix;
        const bool existed = ::access(path.c_str(), F_OK) == 0;
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) throw failure("cannot open " + path);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        if (!existed) flushFolder(folder_);
        fd_ = fd;
        path_ = path;
    }
    if (fd_ < 0)
        throw std::runtime_error("every file of the spool folder " + folder_ +
                                 " is held by another server");
    // What the server that held this file before left: a line a crash cut short was
    // never answered, and goes.
    const std::string bytes = readAll(fd_);
    const SpoolContents contents = parseSpool(bytes);
    for (const SpoolLine& l : contents.lines) {
        if (l.stored || codes_.contains(l.record.code)) continue;
        codes_.insert(l.record.code);
        ++perClient_[l.record.client];
        waiting_.push_back({l.offset, l.record});
    }
    end_ = waiting_.empty() ? 0 : contents.whole;
    if (end_ != bytes.size() &&
        (::ftruncate(fd_, static_cast<off_t>(end_)) != 0 || ::fdatasync(fd_) != 0))
        throw failure("cannot tidy " + path_);
}

Spool::~Spool() {
    ::close(fd_);
}

SpoolAnswer Spool::add(const SpoolRecord& given) {
    SpoolRecord r = given;
    r.client = spoolClient(r.client);
    std::lock_guard lock(mutex_);
    if (codes_.contains(r.code)) return SpoolAnswer::keptBefore;
    if (waiting_.size() >= bounds_.total) return SpoolAnswer::full;
    const auto client = perClient_.find(r.client);
    if (client != perClient_.end() && client->second >= bounds_.perClient)
        return SpoolAnswer::clientFull;
    const std::string line = spoolLine(r);
    if (!writeAll(fd_, line, end_) || ::fdatasync(fd_) != 0) {
        // Whatever reached the file is no line of the spool.
        if (::ftruncate(fd_, static_cast<off_t>(end_)) == 0) ::fdatasync(fd_);
        return SpoolAnswer::failed;
    }
    waiting_.push_back({end_, r});
    end_ += line.size();
    codes_.insert(r.code);
    ++perClient_[r.client];
    return SpoolAnswer::kept;
}

std::size_t Spool::waiting() const {
    std::lock_guard lock(mutex_);
    return waiting_.size();
}

void Spool::forget(const Waiting& w) {
    codes_.erase(w.record.code);
    const auto n = perClient_.find(w.record.client);
    if (n != perClient_.end() && --n->second == 0) perClient_.erase(n);
}

bool Spool::markStored(int fd, const std::vector<std::size_t>& offsets) {
    bool ok = true;
    for (const std::size_t at : offsets)
        ok = writeAll(fd, std::string_view(&storedMark, 1), at) && ok;
    return ::fdatasync(fd) == 0 && ok;
}

std::size_t Spool::drain(const std::function<bool(const SpoolRecord&)>& store) {
    std::lock_guard one(draining_);
    std::vector<Waiting> mine;
    {
        std::lock_guard lock(mutex_);
        mine.assign(waiting_.begin(), waiting_.end());
    }
    std::vector<std::size_t> taken;
    for (const Waiting& w : mine) {
        if (!store(w.record)) break;
        taken.push_back(w.offset);
    }
    if (!taken.empty()) {
        // Only a drain takes lines away, so these are the oldest that wait.
        markStored(fd_, taken);
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < taken.size(); ++i) {
            forget(waiting_.front());
            waiting_.pop_front();
        }
        if (waiting_.empty() && ::ftruncate(fd_, 0) == 0) {
            ::fdatasync(fd_);
            end_ = 0;
        }
    }
    std::size_t count = taken.size();
    if (taken.size() < mine.size()) return count;

    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) return count;
    std::vector<std::string> others;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        const std::string path = folder_ + "/" + name;
        if (name.size() > std::strlen(suffix) && name.ends_with(suffix) && path != path_)
            others.push_back(path);
    }
    ::closedir(dir);
    std::sort(others.begin(), others.end());
    for (const std::string& path : others)
        if (!drainOrphan(path, store, count)) break;
    return count;
}

bool Spool::drainOrphan(const std::string& path,
                        const std::function<bool(const SpoolRecord&)>& store, std::size_t& taken) {
    // Never made here: a file that a new server is just making is its own.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return true;
    struct stat s {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &s) != 0 || s.st_size == 0) {
        ::close(fd);
        return true;
    }
    const SpoolContents contents = parseSpool(readAll(fd));
    std::vector<std::size_t> stored;
    bool all = true;
    for (const SpoolLine& l : contents.lines) {
        if (l.stored) continue;
        if (!store(l.record)) {
            all = false;
            break;
        }
        stored.push_back(l.offset);
    }
    if (!stored.empty()) markStored(fd, stored);
    if (all && ::ftruncate(fd, 0) == 0) ::fdatasync(fd);
    taken += stored.size();
    ::close(fd);
    return all;
}

std::string defaultSpoolFolder(const std::string& db) {
    if (!namesPostgres(db) && db != ":memory:" && !db.empty()) return db + "-spool";
    // systemd names the unit's StateDirectory there, several separated by colons.
    if (const char* state = std::getenv("STATE_DIRECTORY"); state && *state) {
        const std::string first(state, std::strcspn(state, ":"));
        return first + "/spool";
    }
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg)
        return std::string(xdg) + "/zundel-liga/spool";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/state/zundel-liga/spool";
}

} // namespace liga
