// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

struct sockaddr;

namespace liga {

// Submissions per client address, as a token bucket per address: up to `burst` at once,
// then one more every 60/perMinute seconds. The table holds at most `capacity` addresses.
// Only a bucket that has filled up again leaves it, as it would start full anyway; while
// none has, new addresses share one overflow bucket of the same size. So no number of
// addresses frees a used-up one, and those already counted keep their own.
// perMinute 0 means no limit.
class RateLimiter final {
public:
    // A burst of 0 takes three minutes' worth.
    explicit RateLimiter(uint32_t perMinute, uint32_t burst = 0, std::size_t capacity = 16384);

    // True when `key` may submit at `nowMs` (milliseconds of a steady clock); counts it.
    bool allow(const std::string& key, int64_t nowMs);
    std::size_t size() const;

private:
    struct Bucket {
        double tokens = 0;
        int64_t lastMs = 0;
    };
    double refilled(const Bucket& b, int64_t nowMs) const;
    bool take(Bucket& b, int64_t nowMs);

    const uint32_t perMinute_;
    const uint32_t burst_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    Bucket overflow_;
    std::optional<int64_t> sweptMs_; // the table is swept for full buckets once a second at most
};

// The key a client is counted under: its IPv4 address, or the /64 network of an IPv6
// address (one host commonly holds a whole /64). Empty for other address families.
std::string clientKey(const sockaddr* address);

} // namespace liga
