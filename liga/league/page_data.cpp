// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_data.h"
#include "feed.h"
#include "local_time.h"
#include "periods.h"
#include "time_text.h"

namespace liga {

std::string jsonHref(const Route& from, const Route& to) {
    const std::string address = rootFrom(from) + routeHref(to);
    return jsonString(address.empty() ? "./" : address);
}

std::string jsonLinks(const Route& at, const std::optional<Route>& previous,
                      const std::optional<Route>& next) {
    Route html = at;
    html.json = false;
    return "\"links\": {\"self\": " + jsonHref(at, at) + ", \"html\": " + jsonHref(at, html) +
           ", \"previous\": " + (previous ? jsonHref(at, *previous) : "null") +
           ", \"next\": " + (next ? jsonHref(at, *next) : "null") + "}";
}

std::string jsonRow(const Route& at, const BoardRow& r) {
    const Route player = playerRoute(r.name, true);
    return "{\"place\": " + std::to_string(r.place) + ", \"name\": " + jsonString(r.name) +
           ", \"tenths\": " + std::to_string(r.tenths) +
           ", \"time\": " + jsonString(timeText(r.tenths)) +
           ", \"date\": " + jsonString(dateText(r.receivedAt)) +
           ", \"player\": " + jsonHref(at, player) + "}";
}

std::string jsonPeriod(const PeriodStart& period) {
    return "\"period\": " + jsonString(periodKey(period.period)) +
           ", \"from\": " + std::to_string(period.from) +
           ", \"timeZone\": " + jsonString(zoneText(period.from));
}

std::string jsonError(std::string_view why) {
    return "{\"error\": " + jsonString(why) + "}\n";
}

} // namespace liga
