// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The records: each time a level's first place went to a new, faster time; as a page, as
// JSON and as an Atom feed (atom_feed.h).
#pragma once
#include "page_context.h"

namespace liga {

// Records the page, its JSON and the feed show, newest first.
constexpr int64_t recordsShown = 50;

Rendered recordsPage(const Route& route, const PageContext& context);

} // namespace liga
