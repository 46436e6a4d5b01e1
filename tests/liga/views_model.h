// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The pages' reads worked out the plain way from all of a store's entries: a model to
// check pages against while they are small.
#pragma once
#include "ranking.h"
#include "store.h"
#include "views.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace liga::samples {

class ViewsModel final : public Views {
public:
    explicit ViewsModel(Store& store) : store_(store) {}

    BoardPage boardPage(int32_t level, PeriodStart period, PageRange range, Deadline) override {
        const std::vector<BoardRow> all = board(level, period.from);
        return {slice(all, range), static_cast<int64_t>(all.size())};
    }
    SumPage sumPage(PeriodStart period, PageRange range, Deadline) override {
        std::map<std::string, SumRow> sums;
        for (int32_t level = 1; level <= 3; ++level)
            for (const BoardRow& r : board(level, period.from)) {
                SumRow& s = sums[r.name];
                s.name = r.name;
                s.tenths[static_cast<std::size_t>(level - 1)] = r.tenths;
                s.receivedAt = std::max(s.receivedAt, r.receivedAt);
            }
        std::vector<SumRow> rows;
        for (auto& [name, s] : sums)
            if (std::ranges::all_of(s.tenths, [](int32_t t) { return t > 0; })) {
                s.total = s.tenths[0] + s.tenths[1] + s.tenths[2];
                rows.push_back(s);
            }
        const auto key = [](const SumRow& s) {
            return std::make_tuple(s.total, s.tenths[2], s.tenths[1]);
        };
        std::ranges::sort(rows, [&](const SumRow& a, const SumRow& b) {
            return std::make_tuple(key(a), a.name) < std::make_tuple(key(b), b.name);
        });
        for (SumRow& s : rows)
            s.place = placeBehind(
                std::ranges::count_if(rows, [&](const SumRow& o) { return key(o) < key(s); }));
        return {slice(rows, range), static_cast<int64_t>(rows.size())};
    }
    std::vector<Standing> standings(const std::string& name,
                                    const std::vector<PeriodStart>& periods, Deadline) override {
        std::vector<Standing> out;
        for (int32_t level = 1; level <= 5; ++level)
            for (const PeriodStart& p : periods) {
                const std::vector<BoardRow> rows = board(level, p.from);
                Standing s{level, p, std::nullopt, static_cast<int64_t>(rows.size()), {}, {}};
                const auto it = std::ranges::find(rows, name, &BoardRow::name);
                if (it != rows.end()) {
                    s.best = *it;
                    s.above.assign(it - std::min<std::ptrdiff_t>(5, it - rows.begin()), it);
                    s.below.assign(it + 1,
                                   it + 1 + std::min<std::ptrdiff_t>(5, rows.end() - it - 1));
                }
                out.push_back(std::move(s));
            }
        return out;
    }
    std::vector<EntryRow> playerEntries(const std::string& name, std::optional<EntryCursor> before,
                                        int64_t limit, Deadline) override {
        std::vector<EntryRow> out;
        for (const EntryRow& e : shown(0))
            if (e.name == name && (!before || std::tie(e.receivedAt, e.code) <
                                                  std::tie(before->receivedAt, before->code)))
                out.push_back(e);
        if (static_cast<int64_t>(out.size()) > limit) out.resize(static_cast<std::size_t>(limit));
        return out;
    }
    std::vector<EntryRow> playerHistory(const std::string& name, Deadline) override {
        std::vector<EntryRow> out;
        for (const EntryRow& e : shown(0))
            if (e.name == name) out.insert(out.begin(), e);
        return out;
    }
    std::vector<std::string> findNames(const std::string& prefix, int64_t limit,
                                       Deadline) override {
        std::vector<std::string> names;
        for (const EntryRow& e : shown(0))
            if (e.name.starts_with(prefix)) names.push_back(e.name);
        std::ranges::sort(names);
        names.erase(std::unique(names.begin(), names.end()), names.end());
        std::ranges::stable_partition(names, [&](const std::string& n) { return n == prefix; });
        if (static_cast<int64_t>(names.size()) > limit)
            names.resize(static_cast<std::size_t>(limit));
        return names;
    }
    std::vector<TimeCount> distribution(int32_t level, Deadline) override {
        std::map<int32_t, int64_t> counts;
        for (const BoardRow& r : board(level, 0)) ++counts[r.tenths];
        std::vector<TimeCount> out;
        for (const auto& [t, n] : counts) out.push_back({t, n});
        return out;
    }
    std::vector<RecordRow> records(int64_t limit, Deadline) override {
        std::vector<EntryRow> oldestFirst = shown(0);
        std::ranges::reverse(oldestFirst);
        std::map<int32_t, int32_t> record;
        std::vector<RecordRow> out;
        for (const EntryRow& e : oldestFirst) {
            const auto it = record.find(e.level);
            if (it != record.end() && e.tenths >= it->second) continue;
            std::optional<int32_t> previous;
            if (it != record.end()) previous = it->second;
            record[e.level] = e.tenths;
            out.insert(out.begin(), {e.code, e.name, e.level, e.tenths, e.receivedAt, previous});
        }
        if (static_cast<int64_t>(out.size()) > limit) out.resize(static_cast<std::size_t>(limit));
        return out;
    }
    VersionStamp versionStamp(Deadline) override {
        const std::vector<EntryRow> all = shown(0);
        return {store_.version(), all.empty() ? 0 : all.front().receivedAt};
    }

private:
    // Entries a page may show, newest first, from `from` on; read again when the store's
    // version moved.
    std::vector<EntryRow> shown(int64_t from) {
        if (const uint64_t v = store_.version(); v != readAt_ || shown_.empty()) {
            shown_.clear();
            for (const EntryRow& e : store_.entries({std::nullopt, std::nullopt, false, 0}))
                if (e.state == EntryState::ranked && !e.barred) shown_.push_back(e);
            std::ranges::sort(shown_, [](const EntryRow& a, const EntryRow& b) {
                return std::tie(a.receivedAt, a.code) > std::tie(b.receivedAt, b.code);
            });
            readAt_ = v;
        }
        std::vector<EntryRow> out;
        for (const EntryRow& e : shown_)
            if (e.receivedAt >= from) out.push_back(e);
        return out;
    }
    // Each name's fastest, the first of equal ones, fastest first, equal times by arrival.
    std::vector<BoardRow> board(int32_t level, int64_t from) {
        std::map<std::string, BoardRow> best;
        for (const EntryRow& e : shown(from)) {
            if (e.level != level) continue;
            auto [it, fresh] =
                best.try_emplace(e.name, BoardRow{0, e.name, e.tenths, e.receivedAt});
            if (!fresh && std::tie(e.tenths, e.receivedAt) <
                              std::tie(it->second.tenths, it->second.receivedAt))
                it->second = {0, e.name, e.tenths, e.receivedAt};
        }
        std::vector<BoardRow> rows;
        for (auto& [name, row] : best) rows.push_back(row);
        std::ranges::sort(rows, [](const BoardRow& a, const BoardRow& b) {
            return std::tie(a.tenths, a.receivedAt, a.name) <
                   std::tie(b.tenths, b.receivedAt, b.name);
        });
        numberPlaces(rows);
        return rows;
    }
    template <class Row> static std::vector<Row> slice(const std::vector<Row>& rows, PageRange r) {
        const auto first = std::min<std::size_t>(static_cast<std::size_t>(r.first), rows.size());
        const auto last =
            std::min<std::size_t>(first + static_cast<std::size_t>(r.count), rows.size());
        return {rows.begin() + static_cast<std::ptrdiff_t>(first),
                rows.begin() + static_cast<std::ptrdiff_t>(last)};
    }

    Store& store_;
    uint64_t readAt_ = 0;
    std::vector<EntryRow> shown_;
};

} // namespace liga::samples
