// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How the rankings beside the all-time boards follow every change, for every store alike:
// a level's board in the current year, month and week, the combined ranking of levels 1
// to 3 (all time and per period), and each level's records. A submission changes them in
// the transaction that placed it (submitToViews); a moderation notes what it starts from
// (noteForViews) and settles them once it has settled `best` (settleViews), so that what
// shows is always what the shown entries make.
#pragma once
#include "period.h"
#include "transaction.h"
#include "views.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace liga {

// The calendar periods a name is ranked in beside all time, in the order of NameRows.
constexpr std::array<Period, 3> calendarPeriods{Period::year, Period::month, Period::week};

constexpr int32_t kindOf(Period period) {
    return static_cast<int32_t>(period);
}

constexpr bool summedLevel(int32_t level) {
    return level >= firstSummedLevel && level <= lastSummedLevel;
}

// The starts of the year, month and week that hold the moment `at`.
inline std::array<int64_t, 3> periodStartsOf(int64_t at) {
    std::array<int64_t, 3> since{};
    for (std::size_t i = 0; i < calendarPeriods.size(); ++i)
        since[i] = periodStartOf(calendarPeriods[i], at);
    return since;
}

// The combined ranking's line of three bests, when all three are there.
inline std::optional<SumBest> sumOf(const std::array<std::optional<TimedBest>, 3>& bests) {
    SumBest sum;
    for (std::size_t i = 0; i < bests.size(); ++i) {
        if (!bests[i]) return std::nullopt;
        sum.tenths[i] = bests[i]->tenths;
        sum.receivedAt = std::max(sum.receivedAt, bests[i]->receivedAt);
    }
    return sum;
}

inline std::optional<int32_t> tenthsOf(const std::optional<TimedBest>& best) {
    return best ? std::optional<int32_t>(best->tenths) : std::nullopt;
}

inline RecordMark markOf(const EntryRow& e) {
    return {e.code, e.level, e.tenths, e.receivedAt};
}

// A name's best in a ranking goes from one time (or sum) to another, or comes or goes
// (none); the counts follow, in ascending order of time.
template <ViewsTransaction Tx>
void moveRanked(Tx& tx, const RankingKey& key, std::optional<int32_t> from,
                std::optional<int32_t> to) {
    if (from == to) return;
    if (from && to && *to < *from) {
        tx.countRanking(key, *to, 1);
        tx.countRanking(key, *from, -1);
        return;
    }
    if (from) tx.countRanking(key, *from, -1);
    if (to) tx.countRanking(key, *to, 1);
}

// A name's line of the combined ranking becomes `now` (none: it leaves it).
template <ViewsTransaction Tx>
void changeSum(Tx& tx, const RankingKey& key, const std::string& name,
               const std::optional<SumBest>& old, const std::optional<SumBest>& now) {
    if (old == now) return;
    if (now)
        tx.putSum(key, name, *now);
    else
        tx.dropSum(key, name);
    moveRanked(tx, key, old ? std::optional<int32_t>(old->total()) : std::nullopt,
               now ? std::optional<int32_t>(now->total()) : std::nullopt);
}

// An entry that shows now becomes a record when it is faster than the last record before
// it; the later records that it is not slower than are records no more.
template <ViewsTransaction Tx>
void placeRecord(Tx& tx, const RecordMark& e, const std::string& name,
                 std::optional<RecordMark> before) {
    if (before && before->tenths <= e.tenths) return;
    // Another writer may have made a faster one meanwhile: look again, alone.
    tx.lockRecords();
    before = tx.recordBefore(e.level, e.receivedAt, e.code);
    if (before && before->tenths <= e.tenths) return;
    tx.addRecord(e, name);
    tx.dropSlowerRecordsAfter(e);
}

// One new ranked entry, after `best` took it; `allTimeBefore` is the name's best on the
// level before it.
template <ViewsTransaction Tx>
void submitToViews(Tx& tx, const Submission& e, std::optional<int32_t> allTimeBefore) {
    const std::array<int64_t, 3> since = periodStartsOf(e.receivedAt);
    const NameRows rows = tx.nameRows(e, since);
    const TimedBest mine{e.tenths, e.receivedAt};
    // Per kind (all time, year, month, week): whether the name's best on the level is new.
    std::array<bool, 4> better{};
    better[0] = !allTimeBefore || e.tenths < *allTimeBefore;
    for (std::size_t i = 0; i < calendarPeriods.size(); ++i) {
        const std::optional<TimedBest>& old = rows.periodBest[i];
        if (old && old->tenths <= e.tenths) continue;
        const RankingKey key{kindOf(calendarPeriods[i]), since[i], e.level};
        tx.putPeriodBest(key, e.name, mine);
        moveRanked(tx, key, tenthsOf(old), e.tenths);
        better[i + 1] = true;
    }
    if (summedLevel(e.level))
        for (std::size_t k = 0; k < better.size(); ++k) {
            if (!better[k]) continue;
            std::array<std::optional<TimedBest>, 3> bests = rows.summed[k];
            bests[static_cast<std::size_t>(e.level - firstSummedLevel)] = mine;
            const RankingKey key{static_cast<int32_t>(k), k == 0 ? 0 : since[k - 1],
                                 sumRankingLevel};
            changeSum(tx, key, e.name, rows.sums[k], sumOf(bests));
        }
    placeRecord(tx, {e.code, e.level, e.tenths, e.receivedAt}, e.name, rows.recordBefore);
}

// Makes a name's best in a period's board its fastest ranked entry of the period, or none.
template <ModerationViewsTransaction Tx>
void settlePeriodBest(Tx& tx, const RankingKey& key, const std::string& name, bool barred) {
    const std::optional<TimedBest> old = tx.periodBestOf(key, name);
    std::optional<TimedBest> now;
    if (!barred)
        now = tx.fastestIn(key.level, name, key.since,
                           periodAfter(static_cast<Period>(key.kind), key.since));
    if (old == now) return;
    if (now)
        tx.putPeriodBest(key, name, *now);
    else
        tx.dropPeriodBest(key, name);
    moveRanked(tx, key, tenthsOf(old), tenthsOf(now));
}

// Makes a name's line of a combined ranking the sum of its bests there, or none.
template <ModerationViewsTransaction Tx>
void settleSum(Tx& tx, const RankingKey& key, const std::string& name, bool barred) {
    std::optional<SumBest> now;
    if (!barred) now = sumOf(tx.summedBests(key, name));
    changeSum(tx, key, name, tx.sumOf(key, name), now);
}

// Settles every ranking in `keys` for a name: the boards first, as the sums read them.
template <ModerationViewsTransaction Tx>
void settleRankings(Tx& tx, const std::set<RankingKey>& keys, const std::string& name,
                    bool barred) {
    for (const RankingKey& key : keys)
        if (key.level != sumRankingLevel) settlePeriodBest(tx, key, name, barred);
    for (const RankingKey& key : keys)
        if (key.level == sumRankingLevel) settleSum(tx, key, name, barred);
}

// The rankings an entry of a level that arrived at `at` counts in, besides `best`.
inline void addRankingsOf(std::set<RankingKey>& keys, int32_t level, int64_t at) {
    const std::array<int64_t, 3> since = periodStartsOf(at);
    if (summedLevel(level)) keys.insert({0, 0, sumRankingLevel});
    for (std::size_t i = 0; i < calendarPeriods.size(); ++i) {
        const int32_t kind = kindOf(calendarPeriods[i]);
        keys.insert({kind, since[i], level});
        if (summedLevel(level)) keys.insert({kind, since[i], sumRankingLevel});
    }
}

// The records of a level from `first` on lost an entry: the chain is made again from the
// record before it, out of the entries faster than that one.
template <ModerationViewsTransaction Tx> void remakeRecordsFrom(Tx& tx, const RecordMark& first) {
    const std::optional<RecordMark> before =
        tx.recordBefore(first.level, first.receivedAt, first.code);
    tx.dropRecordsFrom(first);
    int32_t bound = before ? before->tenths : INT32_MAX;
    for (const EntryRow& e : tx.entriesFaster(first.level, bound)) {
        if (before && std::tie(e.receivedAt, e.code) <= std::tie(before->receivedAt, before->code))
            continue;
        if (e.tenths >= bound) continue;
        tx.addRecord(markOf(e), e.name);
        bound = e.tenths;
    }
}

// Remakes each level's records from the earliest of `gone`, the records that lost their
// entry.
template <ModerationViewsTransaction Tx>
void remakeRecords(Tx& tx, const std::vector<RecordMark>& gone) {
    std::map<int32_t, RecordMark> earliest;
    for (const RecordMark& r : gone) {
        const auto [it, fresh] = earliest.emplace(r.level, r);
        if (!fresh &&
            std::tie(r.receivedAt, r.code) < std::tie(it->second.receivedAt, it->second.code))
            it->second = r;
    }
    for (const auto& [level, r] : earliest) remakeRecordsFrom(tx, r);
}

// What a moderation's rankings start from, noted before it changes anything: whether its
// entry (a code's) or its name (a bar's) showed.
struct ViewsBefore {
    std::optional<EntryRow> entry;
    bool shown = false;
};

constexpr bool namesAName(Moderation what) {
    return what == Moderation::ban || what == Moderation::unban;
}

template <ModerationViewsTransaction Tx>
ViewsBefore noteForViews(Tx& tx, Moderation what, const std::string& subject) {
    ViewsBefore before;
    if (namesAName(what)) {
        before.shown = !tx.barred(subject);
        return before;
    }
    before.entry = tx.entryOf(subject);
    before.shown =
        before.entry && before.entry->state == EntryState::ranked && !tx.barred(before.entry->name);
    return before;
}

// After a moderation settled `best`: whatever it took away or brought back leaves or joins
// every period's board, every combined ranking and the records.
template <ModerationViewsTransaction Tx>
void settleViews(Tx& tx, const ViewsBefore& before, Moderation what, const std::string& subject) {
    if (namesAName(what)) {
        const bool shown = !tx.barred(subject);
        if (shown == before.shown) return;
        if (!shown) {
            const std::vector<RankingKey> held = tx.rankingsOf(subject);
            settleRankings(tx, std::set<RankingKey>(held.begin(), held.end()), subject, true);
            remakeRecords(tx, tx.recordsOfName(subject));
            return;
        }
        const std::vector<EntryRow> entries = tx.rankedEntriesOf(subject);
        std::set<RankingKey> keys;
        for (const EntryRow& e : entries) addRankingsOf(keys, e.level, e.receivedAt);
        settleRankings(tx, keys, subject, false);
        tx.lockName(subject);
        for (const EntryRow& e : entries)
            placeRecord(tx, markOf(e), subject, tx.recordBefore(e.level, e.receivedAt, e.code));
        return;
    }
    if (!before.entry) return;
    const EntryRow& e = *before.entry;
    const std::optional<EntryRow> now = tx.entryOf(subject);
    const bool shown = now && now->state == EntryState::ranked && !tx.barred(e.name);
    if (shown == before.shown) return;
    std::set<RankingKey> keys;
    addRankingsOf(keys, e.level, e.receivedAt);
    settleRankings(tx, keys, e.name, false);
    if (shown) {
        tx.lockName(e.name);
        placeRecord(tx, markOf(e), e.name, tx.recordBefore(e.level, e.receivedAt, e.code));
        return;
    }
    std::vector<RecordMark> gone;
    for (const RecordMark& r : tx.recordsOfName(e.name))
        if (r.code == e.code) gone.push_back(r);
    remakeRecords(tx, gone);
}

} // namespace liga
