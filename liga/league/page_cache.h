// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The pages as written for one state of the league, so that a page asked for again costs
// no reading and no writing until the league changes or a period begins.
#pragma once
#include "page_context.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace liga {

// What a written page holds for: the league's version and the latest period start.
struct CacheStamp {
    uint64_t version = 0;
    int64_t periodStart = 0;
    bool operator==(const CacheStamp&) const = default;
};

// At most `budget` bytes of pages; the page asked for least recently leaves first. A page
// of a newer stamp empties it; one of an older stamp is not kept.
class PageCache {
public:
    explicit PageCache(std::size_t budget = std::size_t{16} << 20) : budget_(budget) {}

    std::shared_ptr<const Rendered> find(const std::string& key, const CacheStamp& stamp);
    void put(const std::string& key, const CacheStamp& stamp, std::shared_ptr<const Rendered> page);
    std::size_t bytes() const;

private:
    using Entry = std::pair<std::string, std::shared_ptr<const Rendered>>;
    static std::size_t cost(const Entry& e) { return e.first.size() + e.second->body.size(); }

    const std::size_t budget_;
    mutable std::mutex mutex_; // held only to look or change, never while a page is written
    CacheStamp stamp_;
    std::list<Entry> recent_; // most recently asked for first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    std::size_t bytes_ = 0;
};

} // namespace liga
