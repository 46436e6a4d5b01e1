// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "handler.h"
#include "listen_address.h"

#include <cstddef>

struct MHD_Daemon;

namespace liga {

// Limits of the HTTP layer, chosen for a server open to anyone.
struct ServerLimits {
    unsigned threads = 2;                 // event loops, each serving many connections
    std::size_t connectionMemory = 16384; // request line and header of one request, at most
    unsigned connections = 1000;          // open at once, all clients together
    unsigned connectionsPerAddress = 64;
    unsigned idleSeconds = 10; // a connection quiet this long is closed
};

// Serves the league over HTTP/1.0 and 1.1 with GNU libmicrohttpd's event loops. Each request
// goes to League::handle in one of the loops' threads.
class HttpServer final {
public:
    // Listens at once; throws std::runtime_error when the address cannot be taken.
    HttpServer(League& league, const ListenAddress& address, const ServerLimits& limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // The port listened on; the chosen one when the address named port 0.
    unsigned port() const;

private:
    League& league_;
    MHD_Daemon* daemon_ = nullptr;
};

} // namespace liga
