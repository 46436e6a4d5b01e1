// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "address_groups.h"
#include "periodic_worker.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace liga {

// What one client may hold of the server's connections.
struct ConnectionBounds {
    // From accept, or from the end of the previous request, to the end of the next header.
    std::chrono::milliseconds headerWait{4000};
    // One more closes the client's connection that has waited longest for a header.
    unsigned perClient = 16;
    // Beyond this a connection is refused at once.
    unsigned perClientAtAll = 32;
    // All clients together.
    unsigned connections = 2000;
    // Peers whose X-Forwarded-For names the client (see clientBehindProxies).
    std::vector<in6_addr> proxies;
};

// Keeps the connections shared out among clients, counted by address group (groupsOf):
// an IPv4 address or an IPv6 /64 is one client, its /56 and /48 a few clients' worth.
//
// - A connection whose request header has not come whole within `headerWait` of its
//   accept, or of the end of its previous request, is closed, however slowly its bytes
//   trickle in. The HTTP library's own timeout only counts quiet time, which a byte now
//   and then resets.
// - A client with `perClient` connections that opens one more loses its connection that
//   has waited longest for a header (an idle or a slow one), so a slow flood from it only
//   churns its own connections; only while all of them are fresh, as in a burst of quick
//   requests from many players behind one address, may it go on up to `perClientAtAll`.
// - When every slot is taken, a new connection takes the place of the one that has waited
//   longest for a header among those of the client that holds most for its share, an idle
//   keep-alive connection most often. So no set of addresses holds the slots: it only
//   churns its own.
// - A connection from a named proxy counts for nobody until its header names the client;
//   from then until its answer is sent it counts for that client, whose requests under
//   way at once are bounded like its connections.
// Told of each connection's steps by the library's callbacks; closes by shutting the
// socket down, which the library then sees as the client gone.
class ConnectionWatch final {
public:
    using Clock = std::chrono::steady_clock;

    // `socketOf` gives a connection's socket (-1: not known), asked when the connection is
    // to be shut: the library may tell of a connection before it knows its socket.
    ConnectionWatch(ConnectionBounds bounds, std::function<int(const void* key)> socketOf);
    ConnectionWatch(const ConnectionWatch&) = delete;
    ConnectionWatch& operator=(const ConnectionWatch&) = delete;

    // Before a connection from `peer` is made: false when it is to be refused.
    bool admit(const in6_addr& peer);
    // `key` names the connection until closed(); its socket stays open until then.
    void opened(const void* key, const in6_addr& peer);
    // The header came, from `client` (behind a proxy, the client it names). False when the
    // client has too many requests under way at once through a proxy.
    bool headerCame(const void* key, const in6_addr& client);
    void requestDone(const void* key);
    void closed(const void* key);

    bool isProxy(const in6_addr& peer) const;
    std::size_t open() const;

private:
    // One group a connection counts in: its count of open connections, and its weight.
    struct Counted {
        unsigned* open = nullptr;
        unsigned weight = 1;
    };
    struct Connection {
        bool shut = false; // by the watch, which counts it no more
        Clock::time_point waitingSince;
        bool waiting = true; // for a header
        bool viaProxy = false;
        AddressGroups groups; // counted in these; none while a proxy's names nobody
        std::array<Counted, 3> counted{};
    };
    // Closes the connections that waited too long; a tenth of the wait between looks.
    void look();
    void count(Connection& c, const AddressGroups& groups);
    void uncount(Connection& c);
    // Whether any group of `c` has more than `per` connections for each client's worth.
    static bool over(const Connection& c, unsigned per);
    // How much of its share the fullest group of `c` holds.
    double load(const Connection& c) const;
    // Closes the connection that has waited longest for a header among those counted in
    // `group` that waited 250 ms at least, or, when `group` is null, among those of the
    // fullest group for its share; false when there is none.
    bool closeLongestWaiting(const unsigned* group);
    void close(const void* key, Connection& c);

    const ConnectionBounds bounds_;
    const std::function<int(const void*)> socketOf_;
    mutable std::mutex mutex_;
    std::unordered_map<const void*, Connection> connections_;
    std::unordered_map<AddressGroup, unsigned, AddressGroupHash> perGroup_;
    std::size_t live_ = 0;  // connections not yet closed by the watch
    std::size_t most_ = 0;  // connections at once since memory was last given back
    PeriodicWorker worker_; // last: it calls look() until it is destroyed
};

} // namespace liga
