// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// How a league ranks, for every store alike: the place numbering, and the steps of one
// submission inside the transaction a store opened for it.
#pragma once
#include "store.h"
#include "stufen.h"
#include "transaction.h"
#include "views_ranking.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace liga {

// The place of a time that `faster` names beat: equal times share a place, and the next
// time takes the place after all of them.
constexpr int64_t placeBehind(int64_t faster) {
    return faster + 1;
}

// Numbers the rows of a board, fastest first; every row faster than the last is in it.
void numberPlaces(std::vector<BoardRow>& rows);

// The names of a level are counted per time and per bucket of this many consecutive
// times, so that how many are faster than a time is the sum of the buckets below its own
// and of the times in its own below it: a few dozen rows for the times a game brings,
// and at most 65,536 / 64 + 64 for any that a code can carry.
constexpr int32_t timesPerBucket = 64;
constexpr int32_t bucketOf(int32_t tenths) {
    return tenths / timesPerBucket;
}

// A best time of `tenths` on a level comes (delta 1) or goes (delta -1): its count and its
// bucket's count follow.
template <SubmissionTransaction Tx>
void countBest(Tx& tx, int32_t level, int32_t tenths, int64_t delta) {
    tx.count(level, tenths, delta);
    tx.countBucket(level, bucketOf(tenths), delta);
}

// One submission, in the transaction that a store has opened.
template <SubmissionTransaction Tx> Placement submitWithin(Tx& tx, const Submission& e) {
    Placement p;
    if (!e.limit.client.empty() && !tx.takeToken(e.limit)) {
        p.limited = true;
        return p;
    }
    if (tx.barred(e.name)) {
        p.barred = true;
        return p;
    }
    StoredEntry placed{e.name, e.level, e.tenths};
    std::optional<int32_t> best;
    if (tx.addEntry(e)) {
        if (e.held) {
            // Nothing a board shows has changed.
            p.state = EntryState::held;
            return p;
        }
        tx.lockName(e.name);
        best = tx.lockBest(e.level, e.name);
        if (!best && !tx.addBest(e)) best = tx.lockBest(e.level, e.name);
        if (!best) {
            countBest(tx, e.level, e.tenths, 1);
        } else if (e.tenths < *best) {
            tx.improveBest(e);
            tx.count(e.level, e.tenths, 1);
            tx.count(e.level, *best, -1);
            if (bucketOf(e.tenths) != bucketOf(*best)) {
                tx.countBucket(e.level, bucketOf(e.tenths), 1);
                tx.countBucket(e.level, bucketOf(*best), -1);
            }
        }
        tx.recordChange(e);
        submitToViews(tx, e, best);
    } else {
        // The code decides name, level and time; place what was stored with it.
        const std::optional<StoredEntry> stored = tx.findEntry(e.code);
        if (!stored) throw std::runtime_error("code vanished");
        placed = *stored;
        p.alreadyReceived = true;
        p.state = placed.state;
        if (placed.state != EntryState::ranked) return p;
        best = tx.lockBest(placed.level, placed.name);
    }
    const TimeCounts c = tx.counts(placed.level, placed.tenths);
    // The name's own best is no other name's.
    const bool ownFaster = best && *best < placed.tenths;
    p.place = placeBehind(c.faster - (ownFaster ? 1 : 0));
    p.ranked = c.ranked;
    return p;
}

// Makes a name's best on a level its fastest ranked entry, or none when it has none or
// is barred, and its count follow.
template <ModerationTransaction Tx>
void settleBest(Tx& tx, int32_t level, const std::string& name, bool barred) {
    const std::optional<int32_t> old = tx.lockBest(level, name);
    std::optional<FastestEntry> fastest;
    if (!barred) fastest = tx.fastestEntry(level, name);
    std::optional<Submission> now;
    if (fastest) now = Submission{name, level, fastest->tenths, fastest->receivedAt, {}};
    if (old && now && *old == now->tenths) {
        tx.improveBest(*now); // the same time, perhaps of another entry
        return;
    }
    if (old) {
        tx.dropBest(level, name);
        countBest(tx, level, *old, -1);
    }
    if (now) {
        tx.addBest(*now);
        countBest(tx, level, now->tenths, 1);
    }
}

// One moderation, in the transaction that a store has opened.
template <ModerationTransaction Tx>
ModerationResult moderateWithin(Tx& tx, Moderation what, const std::string& subject, int64_t at) {
    tx.lockModeration();
    const ViewsBefore views = noteForViews(tx, what, subject);
    if (what == Moderation::ban || what == Moderation::unban) {
        const bool bar = what == Moderation::ban;
        if (!tx.setBarred(subject, bar)) return ModerationResult::unchanged;
        for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
            settleBest(tx, level, subject, bar);
    } else {
        const std::optional<StoredEntry> e = tx.findEntry(subject);
        if (!e) return ModerationResult::noSuchEntry;
        if (what == Moderation::remove) {
            tx.deleteEntry(subject);
            if (e->state == EntryState::ranked)
                settleBest(tx, e->level, e->name, tx.barred(e->name));
        } else {
            const EntryState target = what == Moderation::approve  ? EntryState::ranked
                                      : what == Moderation::reject ? EntryState::rejected
                                                                   : EntryState::held;
            if (e->state == target) return ModerationResult::unchanged;
            // Approve and reject decide on a held entry; hold takes a ranked one back.
            const bool holding = what == Moderation::hold;
            if (e->state != (holding ? EntryState::ranked : EntryState::held))
                return holding ? ModerationResult::notRanked : ModerationResult::notHeld;
            tx.setState(subject, target);
            if (target == EntryState::ranked || holding)
                settleBest(tx, e->level, e->name, tx.barred(e->name));
        }
    }
    settleViews(tx, views, what, subject);
    tx.logChange(what, subject, at);
    return ModerationResult::done;
}

} // namespace liga
