// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

struct sockaddr;

namespace liga {

// Submissions per client address and minute, as a token bucket per address: up to
// `perMinute` at once, then one more every 60/perMinute seconds. The table holds at most
// `capacity` addresses; when it is full, addresses whose bucket has filled up again go
// first, else the one seen longest ago. perMinute 0 means no limit.
class RateLimiter final {
public:
    explicit RateLimiter(uint32_t perMinute, std::size_t capacity = 4096);

    // True when `key` may submit at `nowMs` (milliseconds of a steady clock); counts it.
    bool allow(const std::string& key, int64_t nowMs);
    std::size_t size() const;

private:
    struct Bucket {
        double tokens = 0;
        int64_t lastMs = 0;
    };
    double refilled(const Bucket& b, int64_t nowMs) const;
    void makeRoom(int64_t nowMs);

    const uint32_t perMinute_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};

// The key a client is counted under: its IPv4 address, or the /64 network of an IPv6
// address (one host commonly holds a whole /64). Empty for other address families.
std::string clientKey(const sockaddr* address);

} // namespace liga
