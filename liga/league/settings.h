// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "review.h"

#include <netinet/in.h>

#include <vector>

namespace liga {

// What a league takes from its operator.
struct LeagueSettings {
    ReviewBounds review = defaultReviewBounds();
    // Peers whose X-Forwarded-For names the client (see clientBehindProxies).
    std::vector<in6_addr> proxies;
};

} // namespace liga
