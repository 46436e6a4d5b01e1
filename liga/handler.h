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

// The league's answers: "/rekord.php?code=..." enters a code, "/" shows the page.
// Every request gets an answer; nothing a client sends makes it throw.
class League final {
public:
    League(Store& store, RateLimiter& limiter) : store_(store), limiter_(limiter) {}

    Response handle(const Request& request);

private:
    Response submit(const Request& request);
    Response page();

    Store& store_;
    RateLimiter& limiter_;
    std::mutex pageMutex_;
    std::optional<uint64_t> pageVersion_;
    std::string pageHtml_;
};

} // namespace liga
