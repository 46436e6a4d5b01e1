// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_server.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <microhttpd.h>
#include <stdexcept>
#include <string_view>

namespace liga {

namespace {

int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

MHD_Result queue(MHD_Connection* connection, const Response& r) {
    MHD_Response* response = MHD_create_response_from_buffer(
        r.body.size(), const_cast<char*>(r.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, r.contentType.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    const MHD_Result result =
        MHD_queue_response(connection, static_cast<unsigned>(r.status), response);
    MHD_destroy_response(response);
    return result;
}

// The body a request announces: none for a league request.
bool announcesBody(MHD_Connection* connection) {
    const char* length =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    return MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                       MHD_HTTP_HEADER_TRANSFER_ENCODING) != nullptr ||
           (length && std::string_view(length) != "0");
}

MHD_Result answer(void* cls, MHD_Connection* connection, const char* url, const char* method,
                  const char* /*version*/, const char* /*uploadData*/, size_t* uploadDataSize,
                  void** state) {
    League& league = *static_cast<League*>(cls);
    Request r;
    r.method = method ? method : "";
    r.path = url ? url : "";
    // The first call brings the request line and the header. A request that announces a
    // body is refused at once, before the body is read; any other is answered at the
    // second call, as the library expects.
    static int headerSeen;
    if (*state == nullptr) {
        *state = &headerSeen;
        if (!announcesBody(connection)) return MHD_YES;
        r.bodySize = 1;
    }
    r.bodySize = std::max(r.bodySize, *uploadDataSize);
    *uploadDataSize = 0;
    if (const char* code = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "code"))
        r.code = code;
    const int headers = MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr);
    r.headerCount = headers > 0 ? static_cast<std::size_t>(headers) : 0;
    if (const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
        r.client = clientKey(info->client_addr);
    r.steadyMs = steadyMs();
    r.unixSeconds = static_cast<int64_t>(std::time(nullptr));
    return queue(connection, league.handle(r));
}

} // namespace

HttpServer::HttpServer(League& league, const ListenAddress& address, const ServerLimits& limits)
    : league_(league) {
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG;
    // "[::]" then takes IPv4 clients too.
    if (address.ipv6) flags |= MHD_USE_DUAL_STACK;
    daemon_ = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &answer, &league_, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<const sockaddr*>(&address.address), MHD_OPTION_THREAD_POOL_SIZE,
        limits.threads, MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits.connectionMemory,
        MHD_OPTION_CONNECTION_LIMIT, limits.connections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        limits.connectionsPerAddress, MHD_OPTION_CONNECTION_TIMEOUT, limits.idleSeconds,
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 128u, MHD_OPTION_END);
    if (!daemon_) throw std::runtime_error("cannot listen on " + addressText(address));
}

HttpServer::~HttpServer() {
    MHD_stop_daemon(daemon_);
}

unsigned HttpServer::port() const {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : 0;
}

} // namespace liga
