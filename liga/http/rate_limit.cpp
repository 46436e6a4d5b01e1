// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "rate_limit.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

namespace liga {

RateLimiter::RateLimiter(uint32_t perMinute, uint32_t burst, std::size_t capacity)
    : perMinute_(perMinute), burst_(burst > 0 ? burst : 3 * perMinute),
      capacity_(std::max<std::size_t>(capacity, 1)), overflow_{static_cast<double>(burst_), 0} {}

double RateLimiter::refilled(const Bucket& b, int64_t nowMs) const {
    const double elapsed = static_cast<double>(std::max<int64_t>(nowMs - b.lastMs, 0));
    return std::min<double>(burst_, b.tokens + elapsed * perMinute_ / 60000.0);
}

bool RateLimiter::take(Bucket& b, int64_t nowMs) {
    b.tokens = refilled(b, nowMs);
    b.lastMs = std::max(b.lastMs, nowMs);
    if (b.tokens < 1.0) return false;
    b.tokens -= 1.0;
    return true;
}

bool RateLimiter::allow(const std::string& key, int64_t nowMs) {
    if (perMinute_ == 0) return true;
    std::lock_guard lock(mutex_);
    auto it = buckets_.find(key);
    if (it == buckets_.end()) {
        if (buckets_.size() >= capacity_ && (!sweptMs_ || nowMs - *sweptMs_ >= 1000)) {
            sweptMs_ = nowMs;
            std::erase_if(buckets_,
                          [&](const auto& kv) { return refilled(kv.second, nowMs) >= burst_; });
        }
        if (buckets_.size() >= capacity_) return take(overflow_, nowMs);
        it = buckets_.emplace(key, Bucket{static_cast<double>(burst_), nowMs}).first;
    }
    return take(it->second, nowMs);
}

std::size_t RateLimiter::size() const {
    std::lock_guard lock(mutex_);
    return buckets_.size();
}

std::string clientKey(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (!address) return {};
    if (address->sa_family == AF_INET) {
        sockaddr_in a;
        std::memcpy(&a, address, sizeof a);
        return inet_ntop(AF_INET, &a.sin_addr, text, sizeof text) ? text : "";
    }
    if (address->sa_family != AF_INET6) return {};
    sockaddr_in6 a;
    std::memcpy(&a, address, sizeof a);
    if (IN6_IS_ADDR_V4MAPPED(&a.sin6_addr)) {
        in_addr v4;
        std::memcpy(&v4, a.sin6_addr.s6_addr + 12, sizeof v4);
        return inet_ntop(AF_INET, &v4, text, sizeof text) ? text : "";
    }
    std::memset(a.sin6_addr.s6_addr + 8, 0, 8);
    if (!inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text)) return {};
    return std::string(text) + "/64";
}

} // namespace liga
