// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "review.h"

namespace liga {

// What a league takes from its operator.
struct LeagueSettings {
    ReviewBounds review = defaultReviewBounds();
};

} // namespace liga
