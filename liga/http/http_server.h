// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "connection_watch.h"
#include "listen_address.h"
#include "processors.h"
#include "request.h"
#include "work_queue.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <netinet/in.h>
#include <vector>

struct MHD_Daemon;

namespace liga {

// Limits of the HTTP layer, chosen for a server open to anyone.
struct ServerLimits {
    unsigned threads = 2;                 // event loops, each serving many connections
    std::size_t connectionMemory = 16384; // request line and header of one request, at most
    unsigned connections = 2000;          // open at once, all clients together
    // Per client (an IPv4 address or an IPv6 /64, see ConnectionWatch): one more closes
    // its longest waiting one.
    unsigned connectionsPerAddress = 16;
    // Beyond this a connection is refused at once, before it is made one; through a proxy,
    // a request is answered at once with the handler's busy().
    unsigned connectionsPerAddressAtAll = 32;
    unsigned idleSeconds = 10; // a connection quiet this long is closed
    // From accept, or from the end of the previous request, to the end of the next header.
    std::chrono::milliseconds headerWait{4000};
    // Requests that need the store are answered by threads of their own, so that the
    // event loops never wait for it: page reads by some, submissions by others. Reads
    // run as many at once as there are processors (at least two, so that one can work
    // while another waits): where the database shares the machine, more would only take
    // turns with it and each other, and the slowest pages would wait twice as long.
    // A database on a machine of its own may want more (zundel-liga --readers).
    unsigned readers = std::max(2u, usableProcessors());
    unsigned writers = 8;
    std::size_t queued = 512; // per kind; beyond it a request is refused at once
    std::chrono::milliseconds databaseWait = defaultWait; // from arrival to answer, at most
    // Asked of the kernel for each connection's socket, which doubles it for its own
    // bookkeeping: what a client that reads nothing, or sends more than is read, can pin
    // there. The page then goes out in pieces of this size as the client takes them.
    int socketSendBuffer = 16384;
    int socketReceiveBuffer = 8192;
    // Peers whose X-Forwarded-For names the client (see clientBehindProxies): the caps and
    // the handler count the client behind them, never the proxy.
    std::vector<in6_addr> proxies;
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
