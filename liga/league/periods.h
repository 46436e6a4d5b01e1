// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's periods as the pages name them, and where each begins in the league's
// time zone (the server's local one, TZ).
#pragma once
#include "period.h"

#include <array>
#include <cstdint>
#include <string>

namespace liga {

constexpr std::array<Period, 4> allPeriods = {Period::all, Period::year, Period::month,
                                              Period::week};

// "Gesamt", "Jahr", "Monat", "Woche".
const char* periodTitle(Period period);
// The word in a page's address: "", "jahr", "monat", "woche".
const char* periodWord(Period period);
// The key in the JSON: "all", "year", "month", "week".
const char* periodKey(Period period);

// The periods that hold `now`, in the order of allPeriods.
std::array<PeriodStart, 4> periodStarts(int64_t now);

// The latest of those beginnings: what a page shows may change there without the league
// changing.
int64_t latestPeriodStart(int64_t now);

// The local time zone as a reader needs it: "Europe/Berlin (MEZ, UTC+01:00)", its name
// from TZ or /etc/localtime where one is found.
std::string zoneText(int64_t at);

} // namespace liga
