// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "connection_watch.h"
#include "listen_address.h"
#include "request.h"
#include "work_queue.h"

#include <chrono>
#include <cstddef>

struct MHD_Daemon;

namespace liga {

// Limits of the HTTP layer, chosen for a server open to anyone.
struct ServerLimits {
    unsigned threads = 2;                 // event loops, each serving many connections
    std::size_t connectionMemory = 16384; // request line and header of one request, at most
    unsigned connections = 2000;          // open at once, all clients together
    // One more closes the address's longest waiting one (see ConnectionWatch).
    unsigned connectionsPerAddress = 16;
    // Beyond this the library refuses at once, before it makes a connection of it. Low
    // enough that 40 addresses hold no more than about two thirds of the connections.
    unsigned connectionsPerAddressAtAll = 32;
    unsigned idleSeconds = 10; // a connection quiet this long is closed
    // From accept, or from the end of the previous request, to the end of the next header.
    std::chrono::milliseconds headerWait{4000};
    // Requests that need the store are answered by threads of their own, so that the
    // event loops never wait for it: page reads by some, submissions by others.
    unsigned readers = 2;
    unsigned writers = 8;
    std::size_t queued = 512; // per kind; beyond it a request is refused at once
    std::chrono::milliseconds databaseWait = defaultWait; // from arrival to answer, at most
};

// Serves a RequestHandler over HTTP/1.0 and 1.1 with GNU libmicrohttpd's event loops. Each request
// is planned in one of the loops' threads; one that needs the store waits, its connection
// put aside, for a reader or a writer thread to answer it.
class HttpServer final {
public:
    // Listens at once; throws std::runtime_error when the address cannot be taken.
    HttpServer(RequestHandler& handler, const ListenAddress& address,
               const ServerLimits& limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // The port listened on; the chosen one when the address named port 0.
    unsigned port() const;

private:
    friend struct HttpServerCallbacks;

    RequestHandler& handler_;
    const ServerLimits limits_;
    WorkQueue readers_;
    WorkQueue writers_;
    ConnectionWatch watch_;
    MHD_Daemon* daemon_ = nullptr;
};

} // namespace liga
