// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "periodic_worker.h"

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace liga {

// Closes a connection whose request header has not come whole within `headerWait` of its
// accept, or of the end of its previous request, however slowly its bytes trickle in. The
// HTTP library's own timeout only counts quiet time, which a byte now and then resets.
// Told of each connection's steps by the library's callbacks; closes by shutting the
// socket down, which the library then sees as the client gone.
//
// It also keeps each address to `perAddress` connections: one more closes the address's
// connection that has waited longest for a header, an idle or a slow one. So a slow flood
// from an address only churns its own connections. While all of them are fresh, as in a
// burst of quick requests from many players behind one address, the library's hard cap
// per address is the bound.
class ConnectionWatch final {
public:
    using Clock = std::chrono::steady_clock;

    ConnectionWatch(std::chrono::milliseconds headerWait, unsigned perAddress);
    ConnectionWatch(const ConnectionWatch&) = delete;
    ConnectionWatch& operator=(const ConnectionWatch&) = delete;

    // `key` names the connection until closed(); `socket` stays open until then.
    void opened(const void* key, int socket, const std::string& address);
    void headerCame(const void* key);
    void requestDone(const void* key);
    void closed(const void* key);

private:
    struct Connection {
        int socket = -1;
        Clock::time_point waitingSince;
        bool waiting = true; // for a header
        std::string address;
    };
    // Closes the connections that waited too long; a tenth of the wait between looks.
    void look();
    static void close(Connection& c);

    const std::chrono::milliseconds headerWait_;
    const unsigned perAddress_;
    std::unordered_map<std::string, unsigned> perAddressOpen_;
    std::mutex mutex_;
    std::unordered_map<const void*, Connection> connections_;
    std::size_t most_ = 0; // connections at once since memory was last given back
    PeriodicWorker worker_;
};

} // namespace liga
