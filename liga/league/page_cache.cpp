// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_cache.h"

namespace liga {

std::shared_ptr<const Rendered> PageCache::find(const std::string& key, const CacheStamp& stamp) {
    std::lock_guard lock(mutex_);
    if (stamp != stamp_) return nullptr;
    const auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    recent_.splice(recent_.begin(), recent_, it->second);
    return it->second->second;
}

void PageCache::put(const std::string& key, const CacheStamp& stamp,
                    std::shared_ptr<const Rendered> page) {
    std::lock_guard lock(mutex_);
    if (stamp != stamp_) {
        const bool newer =
            stamp.version > stamp_.version ||
            (stamp.version == stamp_.version && stamp.periodStart > stamp_.periodStart);
        if (!newer) return;
        recent_.clear();
        index_.clear();
        bytes_ = 0;
        stamp_ = stamp;
    }
    Entry entry{key, std::move(page)};
    if (cost(entry) > budget_ || index_.contains(key)) return;
    bytes_ += cost(entry);
    recent_.push_front(std::move(entry));
    index_[key] = recent_.begin();
    while (bytes_ > budget_) {
        bytes_ -= cost(recent_.back());
        index_.erase(recent_.back().first);
        recent_.pop_back();
    }
}

std::size_t PageCache::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

} // namespace liga
