// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "rate_limit.h"
#include "store.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace liga {

// What the HTTP layer hands over of one request.
struct Request {
    std::string method;
    std::string path;                // without the query
    std::optional<std::string> code; // the query's "code" argument
    std::size_t headerCount = 0;
    std::size_t bodySize = 0; // a league request has none
    std::string client;       // the rate limiter's key, see clientKey
    int64_t steadyMs = 0;     // for the rate limiter
    int64_t unixSeconds = 0;  // when it was received
};

struct Response {
    int status = 200;
    std::string contentType;
    std::string body;
};

// Most header lines a request may bring; far more than any browser sends.
constexpr std::size_t maxHeaderCount = 64;
// Rows per level on the page.
constexpr int64_t boardRows = 100;

// What a request needs: its answer at once, or the store first, to write or only to read.
struct Plan {
    std::optional<Response> answer;
    bool writes = false;
};

// The league's answers: "/rekord.php?code=..." enters a code, "/" shows the page.
// Every request gets an answer; nothing a client sends makes it throw.
class League final {
public:
    League(Store& store, RateLimiter& limiter) : store_(store), limiter_(limiter) {}

    // Never touches the store: answers what needs none of it (404, a bad code, the rate
    // limit), and counts a submission against its client's limit.
    Plan plan(const Request& request);
    // The answer of a request whose plan had none, from the store, which waits no longer
    // than `until`; past it, or when the store is away, the plain refusal or a 503.
    Response answerFromStore(const Request& request, Deadline until);
    // The answer when the store could not be asked in time.
    static Response unavailable(const Request& request);
    // Both steps at once.
    Response handle(const Request& request);

private:
    Response submit(const Request& request, Deadline until);
    Response page(Deadline until);

    Store& store_;
    RateLimiter& limiter_;
    std::mutex pageMutex_; // held only to look at or replace the page, never while reading
    std::optional<uint64_t> pageVersion_;
    std::string pageHtml_;
};

} // namespace liga
