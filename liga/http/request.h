// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What the HTTP layer hands to whoever answers its requests, and what it takes back.
#pragma once
#include "deadline.h"

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace liga {

// What the HTTP layer hands over of one request.
struct Request {
    std::string method;
    std::string path;                // without the query
    std::optional<std::string> code; // the query's "code" argument
    // Every argument of the query in order, percent-decoded ("+" a blank); one whose
    // encoding is broken as it came.
    std::vector<std::pair<std::string, std::string>> arguments;
    std::size_t headerCount = 0;
    std::size_t bodySize = 0;     // a league request has none
    in6_addr client{};            // the peer, or behind a named proxy the client it names
    std::optional<in6_addr> peer; // who sent it, as far as the connection tells
    std::string forwardedFor;     // its X-Forwarded-For lines, joined by commas
    int64_t steadyMs = 0;         // for the rate limiter
    int64_t unixSeconds = 0;      // when it was received
    // Its If-None-Match lines, joined by commas, and its If-Modified-Since (see conditional.h).
    std::optional<std::string> ifNoneMatch;
    std::optional<std::string> ifModifiedSince;
};

struct Response {
    Response(int status = 200, std::string contentType = {}, std::string body = {})
        : status(status), contentType(std::move(contentType)), body(std::move(body)) {}

    int status = 200;
    std::string contentType;
    std::string body;
    // Further header lines. Without a Cache-Control among them the answer carries
    // "Cache-Control: no-store".
    std::vector<std::pair<std::string, std::string>> headers;
    // A large body that answers share rather than each holding a copy (the page and the
    // feed of one version); when set, it is the body, and `body` stays empty.
    std::shared_ptr<const std::string> shared = nullptr;

    const std::string& text() const { return shared ? *shared : body; }
};

// What a request needs: its answer at once, or the store first, to write or only to read.
struct Plan {
    std::optional<Response> answer;
    bool writes = false;
};

// Answers requests in two steps, so that the event loops never wait: `plan` in the loop
// that read the request, `answerLater` in a thread that may wait for the database.
class RequestHandler {
public:
    virtual ~RequestHandler() = default;
    // Never waits: answers what needs nothing slow at once.
    virtual Plan plan(const Request& request) = 0;
    // The answer of a request whose plan had none, by `until` at the latest.
    virtual Response answerLater(const Request& request, Deadline until) = 0;
    // The answer when no thread was free to take the request in time.
    virtual Response unavailable(const Request& request) = 0;
    // The answer when the request's client has too many under way at once.
    virtual Response busy(const Request& request) { return unavailable(request); }
};

} // namespace liga
