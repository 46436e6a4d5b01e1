// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "rate_limit.h"

#include <algorithm>
#include <cmath>

namespace liga {

RateLimiter::RateLimiter(uint32_t perMinute, uint32_t burst, std::size_t capacity)
    : perMinute_(perMinute), burst_(burst > 0 ? burst : 3 * perMinute),
      capacity_(std::max<std::size_t>(capacity, 4)) {}

double RateLimiter::refilled(const Row& r, int64_t nowMs) const {
    const double elapsed = static_cast<double>(std::max<int64_t>(nowMs - r.lastMs, 0));
    return std::min<double>(double(burst_) * r.weight,
                            r.tokens + elapsed * perMinute_ * r.weight / 60000.0);
}

int64_t RateLimiter::fullAt(const Row& r) const {
    const double missing = double(burst_) * r.weight - r.tokens;
    return r.lastMs +
           static_cast<int64_t>(std::ceil(missing * 60000.0 / (double(perMinute_) * r.weight)));
}

RateLimiter::Row& RateLimiter::row(const CountedGroup& g, const AddressGroups& client,
                                   int64_t nowMs) {
    if (const auto it = rows_.find(g.group); it != rows_.end()) return it->second;
    const auto own = [&](const AddressGroup& x) {
        return std::any_of(client.begin(), client.end(),
                           [&](const CountedGroup& c) { return c.group == x; });
    };
    for (auto next = byFull_.begin(); rows_.size() >= capacity_ && next != byFull_.end();) {
        if (own(next->second)) {
            ++next;
            continue;
        }
        rows_.erase(next->second);
        next = byFull_.erase(next);
    }
    Row fresh{double(burst_) * g.weight, nowMs, g.weight, byFull_.end()};
    fresh.whenFull = byFull_.emplace(nowMs, g.group);
    return rows_.emplace(g.group, fresh).first->second;
}

bool RateLimiter::allow(const in6_addr& client, int64_t nowMs) {
    if (perMinute_ == 0) return true;
    const AddressGroups groups = groupsOf(client);
    std::lock_guard lock(mutex_);
    // A few rows that have filled up again leave at every call, so that the table shrinks
    // back after a flood.
    for (int i = 0; i < 4 && !byFull_.empty() && byFull_.begin()->first <= nowMs; ++i) {
        rows_.erase(byFull_.begin()->second);
        byFull_.erase(byFull_.begin());
    }
    for (std::size_t g = groups.count; g-- > 0;) {
        const auto it = rows_.find(groups.groups[g].group);
        if (it != rows_.end() && refilled(it->second, nowMs) < 1.0) return false;
    }
    for (const CountedGroup& g : groups) {
        Row& r = row(g, groups, nowMs);
        r.tokens = refilled(r, nowMs) - 1.0;
        r.lastMs = std::max(r.lastMs, nowMs);
        byFull_.erase(r.whenFull);
        r.whenFull = byFull_.emplace(fullAt(r), g.group);
    }
    return true;
}

std::size_t RateLimiter::size() const {
    std::lock_guard lock(mutex_);
    return rows_.size();
}

} // namespace liga
