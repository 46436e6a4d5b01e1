// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON beside each page: its rows and its links, relative to the document's address as
// the page's own are.
#pragma once
#include "routes.h"
#include "store.h"

#include <optional>
#include <string>

namespace liga {

// The address of `to` from `from`, as a JSON string.
std::string jsonHref(const Route& from, const Route& to);

// "\"links\": {\"self\": ..., \"html\": ..., \"previous\": ..., \"next\": ...}": the page
// itself, its HTML, and its neighbours in a paging (null where there is none).
std::string jsonLinks(const Route& at, const std::optional<Route>& previous,
                      const std::optional<Route>& next);

// {"place": 1, "name": ..., "tenths": 87, "time": "8,7 Sekunden", "date": "08.12.2025",
//  "player": address of the player's data}
std::string jsonRow(const Route& at, const BoardRow& row);

// What the JSON of a period says of it: "\"period\": \"week\", \"from\": 1733094000,
// \"timeZone\": \"Europe/Berlin (CET, UTC+01:00)\"".
std::string jsonPeriod(const PeriodStart& period);

// The JSON of a 404.
std::string jsonError(std::string_view why);

} // namespace liga
