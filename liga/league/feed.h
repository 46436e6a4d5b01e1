// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's boards as JSON, for other sites and programs.
#pragma once
#include "page.h"

#include <string>
#include <string_view>

namespace liga {

// {"levels": [{"level": 1, "name": "Anfänger", "width": 8, "height": 8, "mines": 10,
//   "rows": [{"place": 1, "name": ..., "tenths": 87, "time": "8,7 Sekunden",
//   "date": "08.12.2025"}, ...]}, ...]}: the rows the page shows, UTF-8.
std::string renderFeed(const Boards& boards);

// Text as a JSON string, quotes included: the quote, the backslash and every control
// character escaped, and "<", ">", "&" too, so that it may also stand in HTML.
std::string jsonString(std::string_view text);

} // namespace liga
