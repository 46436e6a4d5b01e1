// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a name: the exact one first, then those that begin with what was typed.
#pragma once
#include "page_context.h"

namespace liga {

// Names a search shows at most.
constexpr int64_t searchHits = 50;

Rendered searchPage(const Route& route, const PageContext& context);

} // namespace liga
