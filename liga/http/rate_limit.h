// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "address_groups.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <unordered_map>

namespace liga {

// Submissions per client, as a token bucket per address group (see groupsOf): up to
// `burst` at once, then one more every 60/perMinute seconds, times the group's weight. A
// request passes when every group of its client has a token left, and takes one from
// each; the widest is asked first, so that a prefix which has used up its share makes no
// rows for its /64s.
//
// The table holds at most `capacity` groups. A group whose bucket has filled up again
// leaves it, as it would start full anyway; when the table is full, a new group takes the
// place of the one that will be full again soonest. So a fresh client always gets a
// bucket of its own, and a used-up one leaves only once every other is more used up
// still: many addresses sending little cannot buy one back. perMinute 0 means no limit.
class RateLimiter final {
public:
    // A burst of 0 takes three minutes' worth.
    explicit RateLimiter(uint32_t perMinute, uint32_t burst = 0, std::size_t capacity = 65536);
    RateLimiter(const RateLimiter&) = delete;
    RateLimiter& operator=(const RateLimiter&) = delete;

    // True when `client` may submit at `nowMs` (milliseconds of a steady clock); counts it.
    bool allow(const in6_addr& client, int64_t nowMs);
    std::size_t size() const;
    uint32_t perMinute() const { return perMinute_; }
    uint32_t burst() const { return burst_; }

private:
    using ByFull = std::multimap<int64_t, AddressGroup>;
    struct Row {
        double tokens = 0;
        int64_t lastMs = 0;
        unsigned weight = 1;
        ByFull::iterator whenFull;
    };
    double refilled(const Row& row, int64_t nowMs) const;
    int64_t fullAt(const Row& row) const;
    Row& row(const CountedGroup& group, const AddressGroups& client, int64_t nowMs);

    const uint32_t perMinute_;
    const uint32_t burst_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::unordered_map<AddressGroup, Row, AddressGroupHash> rows_;
    ByFull byFull_; // each row by when its bucket is full again
};

} // namespace liga
