// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A list of places as every page shows one: place, name (a link to its player), time, date.
#pragma once
#include "routes.h"
#include "store.h"

#include <string>
#include <string_view>
#include <vector>

namespace liga {

// The rows as a table, for the page at `at`; the row of `self` marked.
std::string boardTable(const Route& at, const std::vector<BoardRow>& rows,
                       std::string_view self = {});

} // namespace liga
