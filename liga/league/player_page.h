// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A player's page: per level the best time of each period with its place, the names around
// it in one period, the bests as a staircase over time, and the accepted entries, newest
// first and paged; as HTML or JSON.
#pragma once
#include "page_context.h"

namespace liga {

// Entries on a page of the player's list.
constexpr int64_t entriesPerPage = 50;

Rendered playerPage(const Route& route, const PageContext& context);

} // namespace liga
