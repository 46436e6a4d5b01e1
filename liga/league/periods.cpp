// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "periods.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>

namespace liga {

namespace {

constexpr std::array<const char*, 4> titles = {"Gesamt", "Jahr", "Monat", "Woche"};
constexpr std::array<const char*, 4> words = {"", "jahr", "monat", "woche"};
constexpr std::array<const char*, 4> keys = {"all", "year", "month", "week"};

std::size_t at(Period p) {
    return static_cast<std::size_t>(p);
}

// The zone's name: TZ as set (without a leading ":"), else the link /etc/localtime, looked
// at once a second at most: every period on a page says it.
std::string zoneName() {
    if (const char* tz = std::getenv("TZ"); tz && *tz) return tz[0] == ':' ? tz + 1 : tz;
    static std::mutex mutex;
    static std::string linked;
    static std::optional<std::chrono::steady_clock::time_point> lookedAt;
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex);
    if (lookedAt && now - *lookedAt < std::chrono::seconds(1)) return linked;
    lookedAt = now;
    linked.clear();
    char target[256];
    const ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
    if (n <= 0) return linked;
    const std::string link(target, static_cast<std::size_t>(n));
    const std::size_t zoneinfo = link.find("zoneinfo/");
    if (zoneinfo != std::string::npos) linked = link.substr(zoneinfo + 9);
    return linked;
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
    // Asked more than once by every request, and the calendar's arithmetic looks at the
    // zone's file each time: one answer serves a second, unless TZ changes.
    struct Answer {
        int64_t now;
        std::string zone;
        std::array<PeriodStart, 4> starts;
    };
    static std::mutex mutex;
    static std::optional<Answer> last;
    const char* tz = std::getenv("TZ");
    const std::string zone = tz ? tz : "";
    std::lock_guard lock(mutex);
    if (!last || last->now != now || last->zone != zone) {
        std::array<PeriodStart, 4> starts;
        for (const Period p : allPeriods) starts[at(p)] = currentPeriod(p, now);
        last = Answer{now, zone, starts};
    }
    return last->starts;
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
