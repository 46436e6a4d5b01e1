// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_server.h"
#include "forwarded_for.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <microhttpd.h>
#include <stdexcept>
#include <string_view>
#include <strings.h>

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

// Every X-Forwarded-For line of the request, joined by commas.
MHD_Result addForwardedFor(void* cls, MHD_ValueKind, const char* key, const char* value) {
    if (key && value && strcasecmp(key, "X-Forwarded-For") == 0) {
        auto& list = *static_cast<std::string*>(cls);
        if (!list.empty()) list += ',';
        list += value;
    }
    return MHD_YES;
}

// One request on its way, from its header to its answer.
struct Exchange {
    bool body = false;
    std::optional<Response> response; // written by a store thread while the connection waits
};

} // namespace

struct HttpServerCallbacks {
    static MHD_Result answer(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char* /*version*/,
                             const char* /*uploadData*/, size_t* uploadDataSize, void** state) {
        HttpServer& server = *static_cast<HttpServer*>(cls);
        // The first call brings the request line and the header. A request that announces
        // a body is refused at once, before the body is read; any other is answered at the
        // second call, as the library expects, or, when it waited for the store, at the
        // call after its connection was resumed.
        if (*state == nullptr) {
            auto* fresh = new Exchange;
            *state = fresh;
            if (!announcesBody(connection)) return MHD_YES;
            fresh->body = true;
        }
        Exchange& exchange = *static_cast<Exchange*>(*state);
        if (exchange.response) return queue(connection, *exchange.response);

        Request r;
        r.method = method ? method : "";
        r.path = url ? url : "";
        r.bodySize = std::max<std::size_t>(exchange.body ? 1 : 0, *uploadDataSize);
        *uploadDataSize = 0;
        if (const char* code =
                MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "code"))
            r.code = code;
        const int headers = MHD_get_connection_values(connection, MHD_HEADER_KIND, &addForwardedFor,
                                                      &r.forwardedFor);
        r.headerCount = headers > 0 ? static_cast<std::size_t>(headers) : 0;
        if (const MHD_ConnectionInfo* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS)) {
            r.client = clientKey(info->client_addr);
            r.peer = addressOf(info->client_addr);
        }
        r.steadyMs = steadyMs();
        r.unixSeconds = static_cast<int64_t>(std::time(nullptr));

        Plan plan = server.league_.plan(r);
        if (plan.answer) return queue(connection, *plan.answer);
        const Deadline until = Deadline::clock::now() + server.limits_.databaseWait;
        League& league = server.league_;
        MHD_suspend_connection(connection);
        WorkQueue& lane = plan.writes ? server.writers_ : server.readers_;
        const bool taken = lane.post([&league, &exchange, connection, r, until] {
            exchange.response = league.answerFromStore(r, until);
            MHD_resume_connection(connection);
        });
        if (!taken) {
            exchange.response = League::unavailable(r);
            MHD_resume_connection(connection);
        }
        return MHD_YES;
    }

    static void completed(void* /*cls*/, MHD_Connection* /*connection*/, void** state,
                          MHD_RequestTerminationCode /*why*/) {
        delete static_cast<Exchange*>(*state);
        *state = nullptr;
    }
};

HttpServer::HttpServer(League& league, const ListenAddress& address, const ServerLimits& limits)
    : league_(league), limits_(limits), readers_(limits.readers, limits.queued),
      writers_(limits.writers, limits.queued) {
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG |
                     MHD_ALLOW_SUSPEND_RESUME;
    // "[::]" then takes IPv4 clients too.
    if (address.ipv6) flags |= MHD_USE_DUAL_STACK;
    daemon_ = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &HttpServerCallbacks::answer, this, MHD_OPTION_NOTIFY_COMPLETED,
        &HttpServerCallbacks::completed, nullptr, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<const sockaddr*>(&address.address), MHD_OPTION_THREAD_POOL_SIZE,
        limits.threads, MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits.connectionMemory,
        MHD_OPTION_CONNECTION_LIMIT, limits.connections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        limits.connectionsPerAddress, MHD_OPTION_CONNECTION_TIMEOUT, limits.idleSeconds,
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 128u, MHD_OPTION_END);
    if (!daemon_) throw std::runtime_error("cannot listen on " + addressText(address));
}

HttpServer::~HttpServer() {
    // Every waiting connection is answered and resumed before the loops stop.
    readers_.stop();
    writers_.stop();
    MHD_stop_daemon(daemon_);
}

unsigned HttpServer::port() const {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : 0;
}

} // namespace liga
