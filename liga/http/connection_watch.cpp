// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection_watch.h"
#include "forwarded_for.h"

#include <algorithm>
#include <malloc.h>
#include <sys/socket.h>

namespace liga {

namespace {

// A real client's header follows its accept within milliseconds; a connection that has
// waited longer is idle or slow.
constexpr std::chrono::milliseconds fresh{250};

} // namespace

ConnectionWatch::ConnectionWatch(ConnectionBounds bounds,
                                 std::function<int(const void* key)> socketOf)
    : bounds_(std::move(bounds)), socketOf_(std::move(socketOf)),
      worker_(std::max<std::chrono::milliseconds>(bounds_.headerWait / 10,
                                                  std::chrono::milliseconds(10)),
              [this] { look(); }) {}

bool ConnectionWatch::isProxy(const in6_addr& peer) const {
    return namedIn(peer, bounds_.proxies);
}

std::size_t ConnectionWatch::open() const {
    std::lock_guard lock(mutex_);
    return live_;
}

void ConnectionWatch::count(Connection& c, const AddressGroups& groups) {
    c.groups = groups;
    for (std::size_t i = 0; i < groups.count; ++i)
        c.counted[i] = {&++perGroup_[groups.groups[i].group], groups.groups[i].weight};
}

void ConnectionWatch::uncount(Connection& c) {
    for (std::size_t i = 0; i < c.groups.count; ++i)
        if (--*c.counted[i].open == 0) perGroup_.erase(c.groups.groups[i].group);
    c.groups.count = 0;
}

bool ConnectionWatch::over(const Connection& c, unsigned per) {
    for (std::size_t i = 0; i < c.groups.count; ++i)
        if (*c.counted[i].open > per * c.counted[i].weight) return true;
    return false;
}

double ConnectionWatch::load(const Connection& c) const {
    double most = 0;
    for (std::size_t i = 0; i < c.groups.count; ++i)
        most = std::max(most, double(*c.counted[i].open) /
                                  (double(bounds_.perClient) * c.counted[i].weight));
    return most;
}

void ConnectionWatch::close(const void* key, Connection& c) {
    if (c.shut) return;
    // A socket still not known goes uncounted, so that it holds no slot; the library's own
    // bound stands behind.
    if (const int socket = socketOf_(key); socket >= 0) ::shutdown(socket, SHUT_RDWR);
    c.shut = true;
    --live_;
}

bool ConnectionWatch::closeLongestWaiting(const unsigned* group) {
    const Clock::time_point before = Clock::now() - fresh;
    decltype(connections_)::value_type* victim = nullptr;
    double most = -1;
    for (auto& entry : connections_) {
        const Connection& c = entry.second;
        if (!c.waiting || c.shut) continue;
        if (group) {
            const bool counted = std::any_of(c.counted.begin(), c.counted.begin() + c.groups.count,
                                             [&](const Counted& k) { return k.open == group; });
            if (counted && c.waitingSince < before &&
                (!victim || c.waitingSince < victim->second.waitingSince))
                victim = &entry;
            continue;
        }
        const double l = load(c);
        if (!victim || l > most || (l == most && c.waitingSince < victim->second.waitingSince)) {
            victim = &entry;
            most = l;
        }
    }
    if (!victim) return false;
    close(victim->first, victim->second);
    return true;
}

bool ConnectionWatch::admit(const in6_addr& peer) {
    std::lock_guard lock(mutex_);
    if (!isProxy(peer)) {
        const AddressGroups groups = groupsOf(peer);
        for (const CountedGroup& g : groups) {
            const auto n = perGroup_.find(g.group);
            if (n != perGroup_.end() && n->second >= bounds_.perClientAtAll * g.weight)
                return false;
        }
    }
    return live_ < bounds_.connections || closeLongestWaiting(nullptr);
}

void ConnectionWatch::opened(const void* key, const in6_addr& peer) {
    std::lock_guard lock(mutex_);
    Connection& c = connections_[key];
    c = Connection{false, Clock::now(), true, isProxy(peer), {}, {}};
    ++live_;
    if (c.viaProxy) return;
    count(c, groupsOf(peer));
    for (std::size_t i = 0; i < c.groups.count; ++i)
        if (*c.counted[i].open > bounds_.perClient * c.counted[i].weight)
            closeLongestWaiting(c.counted[i].open);
}

bool ConnectionWatch::headerCame(const void* key, const in6_addr& client) {
    std::lock_guard lock(mutex_);
    const auto it = connections_.find(key);
    if (it == connections_.end()) return true;
    Connection& c = it->second;
    c.waiting = false;
    if (!c.viaProxy) return true;
    uncount(c);
    count(c, groupsOf(client));
    return !over(c, bounds_.perClientAtAll);
}

void ConnectionWatch::requestDone(const void* key) {
    std::lock_guard lock(mutex_);
    if (auto it = connections_.find(key); it != connections_.end()) {
        Connection& c = it->second;
        c.waitingSince = Clock::now();
        c.waiting = true;
        // A proxy's connection waits for its next request on behalf of nobody.
        if (c.viaProxy) uncount(c);
    }
}

void ConnectionWatch::closed(const void* key) {
    std::lock_guard lock(mutex_);
    const auto it = connections_.find(key);
    if (it == connections_.end()) return;
    uncount(it->second);
    if (!it->second.shut) --live_;
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
    const Clock::time_point late = Clock::now() - bounds_.headerWait;
    // The socket is still the connection's: the library closes it only after it has told
    // closed(), which waits for this lock.
    for (auto& [key, c] : connections_)
        if (c.waiting && c.waitingSince < late) close(key, c);
}

} // namespace liga
