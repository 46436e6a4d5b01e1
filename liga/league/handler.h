// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "page_cache.h"
#include "rate_limit.h"
#include "request.h"
#include "routes.h"
#include "settings.h"
#include "store.h"
#include "views.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace liga {

// Most header lines a request may bring; far more than any browser sends.
constexpr std::size_t maxHeaderCount = 64;

// The league's answers: "/rekord.php?code=..." enters a code, "/" shows the overview and
// "/liga.json" its boards as data, and the pages of routes.h with their data and the
// records feed. Every request gets an answer; nothing a client sends makes it throw.
class League final : public RequestHandler {
public:
    League(Store& store, RateLimiter& limiter, LeagueSettings settings = {})
        : store_(store), views_(store.views()), limiter_(limiter), settings_(std::move(settings)) {}

    // Never touches the store: answers what needs none of it (404, a bad code, the rate
    // limit), and counts a submission against its client's limit.
    Plan plan(const Request& request) override;
    // The answer of a request whose plan had none, from the store, which waits no longer
    // than `until`; past it, or when the store is away, the plain refusal or a 503.
    Response answerLater(const Request& request, Deadline until) override;
    // The answer when the store could not be asked in time.
    Response unavailable(const Request& request) override;
    // Both steps at once.
    Response handle(const Request& request);

    // The key the rate limiter counts the request under.
    std::string clientOf(const Request& request) const;

private:
    Response submit(const Request& request, Deadline until);
    Response page(const Request& request, const Route& route, Deadline until);
    Rendered overview(const Route& route, const PageContext& context);

    Store& store_;
    Views& views_;
    RateLimiter& limiter_;
    const LeagueSettings settings_;
    PageCache pages_;
};

} // namespace liga
