// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection_watch.h"

#include <algorithm>
#include <malloc.h>
#include <sys/socket.h>

namespace liga {

ConnectionWatch::ConnectionWatch(std::chrono::milliseconds headerWait, unsigned perAddress)
    : headerWait_(headerWait), perAddress_(std::max(perAddress, 1u)),
      worker_(std::max<std::chrono::milliseconds>(headerWait / 10, std::chrono::milliseconds(10)),
              [this] { look(); }) {}

void ConnectionWatch::close(Connection& c) {
    if (c.socket >= 0) ::shutdown(c.socket, SHUT_RDWR);
    c.socket = -1;
}

void ConnectionWatch::opened(const void* key, int socket, const std::string& address) {
    std::lock_guard lock(mutex_);
    const Clock::time_point now = Clock::now();
    connections_[key] = {socket, now, true, address};
    if (++perAddressOpen_[address] <= perAddress_) return;
    // A real client's header follows its accept within milliseconds; a connection that has
    // waited longer is idle or slow. A linear look, but only while an address is over its
    // cap.
    const Clock::time_point fresh = now - std::chrono::milliseconds(250);
    Connection* longest = nullptr;
    for (auto& [k, c] : connections_)
        if (c.address == address && c.waiting && c.socket >= 0 && c.waitingSince < fresh &&
            (!longest || c.waitingSince < longest->waitingSince))
            longest = &c;
    if (longest) close(*longest);
}

void ConnectionWatch::headerCame(const void* key) {
    std::lock_guard lock(mutex_);
    if (auto it = connections_.find(key); it != connections_.end()) it->second.waiting = false;
}

void ConnectionWatch::requestDone(const void* key) {
    std::lock_guard lock(mutex_);
    if (auto it = connections_.find(key); it != connections_.end()) {
        it->second.waitingSince = Clock::now();
        it->second.waiting = true;
    }
}

void ConnectionWatch::closed(const void* key) {
    std::lock_guard lock(mutex_);
    const auto it = connections_.find(key);
    if (it == connections_.end()) return;
    const auto n = perAddressOpen_.find(it->second.address);
    if (n != perAddressOpen_.end() && --n->second == 0) perAddressOpen_.erase(n);
    connections_.erase(it);
}

void ConnectionWatch::look() {
    std::unique_lock lock(mutex_);
    // After a flood, what its connections took goes back to the system rather than staying
    // with the process.
    most_ = std::max(most_, connections_.size());
    if (most_ >= connections_.size() + 256) {
        most_ = connections_.size();
        lock.unlock();
        malloc_trim(0);
        lock.lock();
    }
    const Clock::time_point late = Clock::now() - headerWait_;
    // The socket is still the connection's: the library closes it only after it has told
    // closed(), which waits for this lock.
    for (auto& [key, c] : connections_)
        if (c.waiting && c.waitingSince < late) close(c);
}

} // namespace liga
