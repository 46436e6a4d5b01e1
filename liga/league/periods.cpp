// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "periods.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace liga {

namespace {

constexpr std::array<const char*, 4> titles = {"Gesamt", "Jahr", "Monat", "Woche"};
constexpr std::array<const char*, 4> words = {"", "jahr", "monat", "woche"};
constexpr std::array<const char*, 4> keys = {"all", "year", "month", "week"};

std::size_t at(Period p) {
    return static_cast<std::size_t>(p);
}

// The zone's name: TZ as set (without a leading ":"), else the link /etc/localtime.
std::string zoneName() {
    if (const char* tz = std::getenv("TZ"); tz && *tz) return tz[0] == ':' ? tz + 1 : tz;
    char target[256];
    const ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
    if (n <= 0) return {};
    const std::string link(target, static_cast<std::size_t>(n));
    const std::size_t zoneinfo = link.find("zoneinfo/");
    return zoneinfo == std::string::npos ? std::string() : link.substr(zoneinfo + 9);
}

} // namespace

const char* periodTitle(Period p) {
    return titles[at(p)];
}
const char* periodWord(Period p) {
    return words[at(p)];
}
const char* periodKey(Period p) {
    return keys[at(p)];
}

std::array<PeriodStart, 4> periodStarts(int64_t now) {
    std::array<PeriodStart, 4> starts;
    for (const Period p : allPeriods) starts[at(p)] = currentPeriod(p, now);
    return starts;
}

int64_t latestPeriodStart(int64_t now) {
    const auto starts = periodStarts(now);
    return std::max(starts[at(Period::month)].from, starts[at(Period::week)].from);
}

std::string zoneText(int64_t when) {
    const std::time_t t = static_cast<std::time_t>(when);
    std::tm local{};
    localtime_r(&t, &local);
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char utc[48];
    std::snprintf(utc, sizeof utc, "UTC%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    const std::string abbreviation = local.tm_zone ? local.tm_zone : "";
    const std::string name = zoneName();
    std::string inner =
        abbreviation.empty() || abbreviation == name ? std::string(utc) : abbreviation + ", " + utc;
    return name.empty() ? inner : name + " (" + inner + ")";
}

} // namespace liga
