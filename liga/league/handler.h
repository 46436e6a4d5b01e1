// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "rate_limit.h"
#include "review.h"
#include "store.h"

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace liga {

// What the HTTP layer hands over of one request.
struct Request {
    std::string method;
    std::string path;                // without the query
    std::optional<std::string> code; // the query's "code" argument
    std::size_t headerCount = 0;
    std::size_t bodySize = 0;     // a league request has none
    std::string client;           // the rate limiter's key, see clientKey
    std::optional<in6_addr> peer; // who sent it, as far as the connection tells
    std::string forwardedFor;     // its X-Forwarded-For lines, joined by commas
    int64_t steadyMs = 0;         // for the rate limiter
    int64_t unixSeconds = 0;      // when it was received
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

// What a league takes from its operator.
struct LeagueSettings {
    ReviewBounds review = defaultReviewBounds();
    // Peers whose X-Forwarded-For names the client (see clientBehindProxies).
    std::vector<in6_addr> proxies;
};

// The league's answers: "/rekord.php?code=..." enters a code, "/" shows the page and
// "/liga.json" its boards as data. Every request gets an answer; nothing a client sends
// makes it throw.
class League final {
public:
    League(Store& store, RateLimiter& limiter, LeagueSettings settings = {})
        : store_(store), limiter_(limiter), settings_(std::move(settings)) {}

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

    // The key the rate limiter counts the request under.
    std::string clientOf(const Request& request) const;

private:
    Response submit(const Request& request, Deadline until);
    Response boards(const Request& request, Deadline until);

    Store& store_;
    RateLimiter& limiter_;
    const LeagueSettings settings_;
    // The page and the feed of one version of the league.
    struct Rendered {
        uint64_t version = 0;
        std::string html;
        std::string json;
    };
    std::mutex renderedMutex_; // held only to look at or replace it, never while reading
    std::optional<Rendered> rendered_;
};

} // namespace liga
