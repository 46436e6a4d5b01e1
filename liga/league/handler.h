// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "ligacode.h"
#include "page_cache.h"
#include "rate_limit.h"
#include "request.h"
#include "routes.h"
#include "settings.h"
#include "spool.h"
#include "store.h"
#include "views.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace liga {

// Most header lines a request may bring; far more than any browser sends.
constexpr std::size_t maxHeaderCount = 64;

// The entry that a code judged good makes, received at `receivedAt` and held when the
// review bounds say so.
Submission submissionOf(const TCodePruefung& judged, const std::string& code, int64_t receivedAt,
                        const ReviewBounds& review);

// The league's answers: "/rekord.php?code=..." enters a code, "/" shows the overview and
// "/liga.json" its boards as data, and the pages of routes.h with their data and the
// records feed. Every request gets an answer; nothing a client sends makes it throw. With a
// spool, a valid code that the store cannot take in time waits there (see SpoolDrain), and
// is answered so.
class League final : public RequestHandler {
public:
    League(Store& store, RateLimiter& limiter, LeagueSettings settings = {}, Spool* spool = nullptr)
        : store_(store), views_(store.views()), limiter_(limiter), settings_(std::move(settings)),
          spool_(spool) {}

    // Never touches the store: answers what needs none of it (404, a bad code, the rate
    // limit), and counts a submission against its client's limit.
    Plan plan(const Request& request) override;
    // The answer of a request whose plan had none, from the store, which waits no longer
    // than `until`; past it, or when the store is away, the plain refusal or a 503.
    Response answerLater(const Request& request, Deadline until) override;
    // The answer when the store could not be asked in time.
    Response unavailable(const Request& request) override;
    // The answer when the client has too many requests under way at once: for a
    // submission the rate limit's line, for the page a 503.
    Response busy(const Request& request) override;
    // Both steps at once.
    Response handle(const Request& request);

private:
    Response submit(const Request& request, Deadline until);
    // The shared limit that the store takes a token of, when the league limits at all.
    SharedLimit sharedLimit(const Request& request);
    // The answer for a valid code that the store did not take.
    Response spooled(const Request& request, const Submission& entry, const std::string& readBack);
    Response page(const Request& request, const Route& route, Deadline until);
    Rendered overview(const Route& route, const PageContext& context);

    Store& store_;
    Views& views_;
    RateLimiter& limiter_;
    const LeagueSettings settings_;
    Spool* const spool_;
    std::atomic<int64_t> sweptAt_ = 0; // when a submission last swept the shared buckets
    // The pages written for the league's current state, which answers share.
    PageCache pages_;
};

} // namespace liga
