// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection_watch.h"

#include <algorithm>
#include <sys/socket.h>

namespace liga {

ConnectionWatch::ConnectionWatch(std::chrono::milliseconds headerWait)
    : headerWait_(headerWait), thread_([this] { run(); }) {}

ConnectionWatch::~ConnectionWatch() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ConnectionWatch::opened(const void* key, int socket) {
    std::lock_guard lock(mutex_);
    connections_[key] = {socket, Clock::now(), true};
}

void ConnectionWatch::headerCame(const void* key) {
    std::lock_guard lock(mutex_);
    if (auto it = connections_.find(key); it != connections_.end()) it->second.waiting = false;
}

void ConnectionWatch::requestDone(const void* key) {
    std::lock_guard lock(mutex_);
    if (auto it = connections_.find(key); it != connections_.end())
        it->second = {it->second.socket, Clock::now(), true};
}

void ConnectionWatch::closed(const void* key) {
    std::lock_guard lock(mutex_);
    connections_.erase(key);
}

void ConnectionWatch::run() {
    // A tenth of the wait between looks: a connection is closed at most that late.
    const auto step =
        std::max<std::chrono::milliseconds>(headerWait_ / 10, std::chrono::milliseconds(10));
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, step, [this] { return stopping_; })) {
        const Clock::time_point late = Clock::now() - headerWait_;
        // The socket is still the connection's: the library closes it only after it has
        // told closed(), which waits for this lock.
        for (auto& [key, c] : connections_)
            if (c.waiting && c.waitingSince < late && c.socket >= 0) {
                ::shutdown(c.socket, SHUT_RDWR);
                c.socket = -1;
            }
    }
}

} // namespace liga
