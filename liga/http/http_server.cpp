// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_server.h"
#include "forwarded_for.h"
#include "percent_coding.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <microhttpd.h>
#include <mutex>
#include <netinet/tcp.h>
#include <stdexcept>
#include <string_view>
#include <strings.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace liga {

namespace {

int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// `close` ends the connection after the answer: what the client sends after a request
// whose length was not clear must never be read as a request of its own.
void releaseShared(void* holder) {
    delete static_cast<std::shared_ptr<const std::string>*>(holder);
}

// A shared body is lent to the library until it has sent it, never copied: a reader that
// reads nothing then holds no page of its own.
MHD_Result queue(MHD_Connection* connection, const Response& r, bool close = false) {
    MHD_Response* response = nullptr;
    if (r.shared) {
        auto* holder = new std::shared_ptr<const std::string>(r.shared);
        response = MHD_create_response_from_buffer_with_free_callback_cls(
            r.shared->size(), const_cast<char*>(r.shared->data()), &releaseShared, holder);
        if (!response) delete holder;
    } else {
        response = MHD_create_response_from_buffer(r.body.size(), const_cast<char*>(r.body.data()),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    if (!response) return MHD_NO;
    if (!r.contentType.empty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, r.contentType.c_str());
    bool cacheControl = false;
    for (const auto& [name, value] : r.headers) {
        MHD_add_response_header(response, name.c_str(), value.c_str());
        cacheControl = cacheControl || strcasecmp(name.c_str(), MHD_HTTP_HEADER_CACHE_CONTROL) == 0;
    }
    if (!cacheControl) MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    if (close) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result result =
        MHD_queue_response(connection, static_cast<unsigned>(r.status), response);
    MHD_destroy_response(response);
    return result;
}

// How a request says where its body ends.
struct Framing {
    int lengths = 0; // Content-Length lines
    bool transferEncoding = false;
    bool nonZeroLength = false;
};

MHD_Result countFraming(void* cls, MHD_ValueKind, const char* key, const char* value) {
    Framing& f = *static_cast<Framing*>(cls);
    if (strcasecmp(key, MHD_HTTP_HEADER_CONTENT_LENGTH) == 0) {
        ++f.lengths;
        if (!value || std::string_view(value) != "0") f.nonZeroLength = true;
    } else if (strcasecmp(key, MHD_HTTP_HEADER_TRANSFER_ENCODING) == 0) {
        f.transferEncoding = true;
    }
    return MHD_YES;
}

// A length said twice, or said both ways, can be read differently by the next machine on
// the way; such a request is refused and its connection closed.
bool ambiguousLength(const Framing& f) {
    return f.lengths > 1 || (f.lengths > 0 && f.transferEncoding);
}

// The library's messages, at most one line a minute with a count of those left out: a
// flood of refused connections would otherwise write a line for each.
void quietLog(void* /*cls*/, const char* format, va_list arguments) {
    static std::mutex mutex;
    static auto last = std::chrono::steady_clock::time_point::min();
    static unsigned long skipped = 0;
    std::lock_guard lock(mutex);
    const auto now = std::chrono::steady_clock::now();
    if (last != std::chrono::steady_clock::time_point::min() &&
        now - last < std::chrono::minutes(1)) {
        ++skipped;
        return;
    }
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    std::string_view line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (skipped > 0)
        std::fprintf(stderr,
                     "liga: %.*s (and %lu other messages of the HTTP layer in the last "
                     "minute or longer)\n",
                     static_cast<int>(line.size()), line.data(), skipped);
    else
        std::fprintf(stderr, "liga: %.*s\n", static_cast<int>(line.size()), line.data());
    last = now;
    skipped = 0;
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

// The request's conditions, If-None-Match lines joined by commas as a list would be.
MHD_Result addConditions(void* cls, MHD_ValueKind, const char* key, const char* value) {
    if (!key || !value) return MHD_YES;
    Request& r = *static_cast<Request*>(cls);
    if (strcasecmp(key, MHD_HTTP_HEADER_IF_NONE_MATCH) == 0)
        r.ifNoneMatch = r.ifNoneMatch ? *r.ifNoneMatch + "," + value : std::string(value);
    else if (strcasecmp(key, MHD_HTTP_HEADER_IF_MODIFIED_SINCE) == 0 && !r.ifModifiedSince)
        r.ifModifiedSince = value;
    return MHD_YES;
}

// The query's arguments, decoded here: the library is told to leave URLs as they came, so
// that the path keeps its "%2F" and the handler reads it itself.
MHD_Result addArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
    const auto decoded = [](const char* text) {
        const std::string_view raw = text ? text : "";
        return percentDecode(raw, true).value_or(std::string(raw));
    };
    static_cast<Request*>(cls)->arguments.emplace_back(decoded(key), decoded(value));
    return MHD_YES;
}

size_t keepEscaped(void* /*cls*/, MHD_Connection*, char* text) {
    return std::strlen(text);
}

// One request on its way, from its header to its answer.
struct Exchange {
    bool body = false;
    bool busy = false;                // its client has too many requests under way
    in6_addr client{};                // behind a named proxy, the client it names
    std::optional<in6_addr> peer;     // who sent it, as far as the connection tells
    std::string forwardedFor;         // its X-Forwarded-For lines
    std::optional<Response> response; // written by a store thread while the connection waits
};

std::optional<in6_addr> peerOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    return info ? addressOf(info->client_addr) : std::nullopt;
}

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
            MHD_get_connection_values(connection, MHD_HEADER_KIND, &addForwardedFor,
                                      &fresh->forwardedFor);
            fresh->peer = peerOf(connection);
            if (fresh->peer)
                fresh->client =
                    clientBehindProxies(*fresh->peer, fresh->forwardedFor, server.limits_.proxies);
            fresh->busy = !server.watch_.headerCame(connection, fresh->client);
            Framing framing;
            MHD_get_connection_values(connection, MHD_HEADER_KIND, &countFraming, &framing);
            if (ambiguousLength(framing))
                return queue(connection,
                             {400, "text/plain; charset=utf-8", "Unklare L\xC3\xA4nge.\r\n"}, true);
            if (!framing.transferEncoding && !framing.nonZeroLength) return MHD_YES;
            fresh->body = true;
        }
        Exchange& exchange = *static_cast<Exchange*>(*state);
        if (exchange.response) {
            // The library holds what it sends from here on.
            const Response answer = std::move(*exchange.response);
            exchange.response.reset();
            return queue(connection, answer);
        }

        Request r;
        r.method = method ? method : "";
        r.path = url ? url : "";
        r.bodySize = std::max<std::size_t>(exchange.body ? 1 : 0, *uploadDataSize);
        *uploadDataSize = 0;
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &addArgument, &r);
        for (const auto& [key, value] : r.arguments)
            if (key == "code" && !r.code) r.code = value;
        const int headers =
            MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, &addConditions, &r);
        r.headerCount = headers > 0 ? static_cast<std::size_t>(headers) : 0;
        r.client = exchange.client;
        r.peer = exchange.peer;
        r.forwardedFor = exchange.forwardedFor;
        r.steadyMs = steadyMs();
        r.unixSeconds = static_cast<int64_t>(std::time(nullptr));
        if (exchange.busy) return queue(connection, server.handler_.busy(r), exchange.body);

        Plan plan = server.handler_.plan(r);
        if (plan.answer) return queue(connection, *plan.answer, exchange.body);
        const Deadline until = Deadline::clock::now() + server.limits_.databaseWait;
        RequestHandler& handler = server.handler_;
        MHD_suspend_connection(connection);
        WorkQueue& lane = plan.writes ? server.writers_ : server.readers_;
        const bool taken = lane.post([&handler, &exchange, connection, r, until] {
            exchange.response = handler.answerLater(r, until);
            MHD_resume_connection(connection);
        });
        if (!taken) {
            exchange.response = handler.unavailable(r);
            MHD_resume_connection(connection);
        }
        return MHD_YES;
    }

    static void completed(void* cls, MHD_Connection* connection, void** state,
                          MHD_RequestTerminationCode /*why*/) {
        delete static_cast<Exchange*>(*state);
        *state = nullptr;
        static_cast<HttpServer*>(cls)->watch_.requestDone(connection);
    }

    static MHD_Result admit(void* cls, const sockaddr* address, socklen_t /*length*/) {
        const std::optional<in6_addr> peer = addressOf(address);
        return !peer || static_cast<HttpServer*>(cls)->watch_.admit(*peer) ? MHD_YES : MHD_NO;
    }

    static void connectionChanged(void* cls, MHD_Connection* connection, void** /*socket*/,
                                  MHD_ConnectionNotificationCode change) {
        ConnectionWatch& watch = static_cast<HttpServer*>(cls)->watch_;
        if (change == MHD_CONNECTION_NOTIFY_CLOSED) {
            watch.closed(connection);
            return;
        }
        watch.opened(connection, peerOf(connection).value_or(in6addr_any));
    }
};

namespace {

// Every connection's socket takes the listening socket's buffer sizes. Without a bound the
// kernel lets a send buffer grow to megabytes for a reader that reads nothing.
void boundSocketBuffers(MHD_Daemon* daemon, const ServerLimits& limits) {
    const MHD_DaemonInfo* listening = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_LISTEN_FD);
    if (!listening) return;
    setsockopt(listening->listen_fd, SOL_SOCKET, SO_SNDBUF, &limits.socketSendBuffer,
               sizeof limits.socketSendBuffer);
    setsockopt(listening->listen_fd, SOL_SOCKET, SO_RCVBUF, &limits.socketReceiveBuffer,
               sizeof limits.socketReceiveBuffer);
    const int segment = 1448;
    setsockopt(listening->listen_fd, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment);
}

ConnectionBounds boundsOf(const ServerLimits& limits) {
    return {limits.headerWait, limits.connectionsPerAddress, limits.connectionsPerAddressAtAll,
            limits.connections, limits.proxies};
}

} // namespace

HttpServer::HttpServer(RequestHandler& handler, const ListenAddress& address,
                       const ServerLimits& limits)
    : handler_(handler), limits_(limits), readers_(limits.readers, limits.queued),
      writers_(limits.writers, limits.queued), watch_(boundsOf(limits), [](const void* key) {
          const MHD_ConnectionInfo* fd =
              MHD_get_connection_info(static_cast<MHD_Connection*>(const_cast<void*>(key)),
                                      MHD_CONNECTION_INFO_CONNECTION_FD);
          return fd ? fd->connect_fd : -1;
      }) {
    // The watch keeps the connections within `connections`; the library's own bound, which
    // it shares out among its threads, only stands behind it, with room for those that the
    // watch has closed but the library not yet let go.
    const unsigned atAll = (limits.connections + 64u) * std::max(limits.threads, 1u);
    // A socket per connection and a few more: the soft limit of open files is often 1024.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < atAll + 256u) {
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, atAll + 256u);
        setrlimit(RLIMIT_NOFILE, &files);
    }
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG |
                     MHD_ALLOW_SUSPEND_RESUME;
    // "[::]" then takes IPv4 clients too.
    if (address.ipv6) flags |= MHD_USE_DUAL_STACK;
    daemon_ = MHD_start_daemon(
        flags, 0, &HttpServerCallbacks::admit, this, &HttpServerCallbacks::answer, this,
        MHD_OPTION_EXTERNAL_LOGGER, &quietLog, nullptr, MHD_OPTION_NOTIFY_COMPLETED,
        &HttpServerCallbacks::completed, this, MHD_OPTION_NOTIFY_CONNECTION,
        &HttpServerCallbacks::connectionChanged, this, MHD_OPTION_SOCK_ADDR,
        reinterpret_cast<const sockaddr*>(&address.address), MHD_OPTION_THREAD_POOL_SIZE,
        limits.threads, MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits.connectionMemory,
        MHD_OPTION_CONNECTION_LIMIT, atAll, MHD_OPTION_CONNECTION_TIMEOUT, limits.idleSeconds,
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 128u, MHD_OPTION_UNESCAPE_CALLBACK, &keepEscaped, nullptr,
        MHD_OPTION_END);
    if (!daemon_) throw std::runtime_error("cannot listen on " + addressText(address));
    boundSocketBuffers(daemon_, limits);
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
