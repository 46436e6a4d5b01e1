// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a store's transaction must offer for the league's rules (ranking.h) to run inside
// it: the compiler checks each store's transaction against these concepts.
#pragma once
#include "store.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>

namespace liga {

// What a level's counts of names per time tell about one time.
struct TimeCounts {
    int64_t faster = 0; // names whose best is below the time
    int64_t ranked = 0; // names the level ranks
};

// What is stored with a code.
struct StoredEntry {
    std::string name;
    int32_t level = 0;
    int32_t tenths = 0;
    EntryState state = EntryState::ranked;
};

// A name's fastest ranked entry on a level.
struct FastestEntry {
    int32_t tenths = 0;
    int64_t receivedAt = 0;
};

// The steps of one submission. Count rows are changed in ascending order of time, first
// the times and then the buckets, so that writers on a database with row locks never wait
// for each other in a circle.
template <class Tx>
concept SubmissionTransaction = requires(Tx& tx, const Submission& entry, const std::string& text,
                                         int32_t number, int64_t delta, const SharedLimit& limit) {
    // Takes one submission from the client's shared bucket; false, and nothing taken, when
    // it has none left.
    { tx.takeToken(limit) } -> std::same_as<bool>;
    // Whether the name is barred. The transaction keeps moderations out from its start
    // to its end, and this sees every moderation that ended before it started.
    { tx.barred(text) } -> std::same_as<bool>;
    // Stores the entry; false when its code is there already.
    { tx.addEntry(entry) } -> std::same_as<bool>;
    // What was stored with a code.
    { tx.findEntry(text) } -> std::same_as<std::optional<StoredEntry>>;
    // A name's best on a level, kept from other writers until the transaction ends.
    { tx.lockBest(number, text) } -> std::same_as<std::optional<int32_t>>;
    // A first best; false when another writer added one first.
    { tx.addBest(entry) } -> std::same_as<bool>;
    tx.improveBest(entry);
    // The names whose best is this time, or is in this bucket, change by delta.
    tx.count(number, number, delta);
    tx.countBucket(number, number, delta);
    // From the buckets below the time's and the times of its own bucket below it.
    { tx.counts(number, number) } -> std::same_as<TimeCounts>;
    // Lets version() grow.
    tx.recordChange(entry);
};

// The steps of one moderation, besides a submission's.
template <class Tx>
concept ModerationTransaction = SubmissionTransaction<Tx> &&
    requires(Tx& tx, const std::string& text, int32_t number, int64_t at, bool flag,
             EntryState state, Moderation what) {
    { tx.fastestEntry(number, text) } -> std::same_as<std::optional<FastestEntry>>;
    tx.dropBest(number, text);
    // Keeps submissions and other moderations out until the transaction ends.
    tx.lockModeration();
    // False when the name was so already.
    { tx.setBarred(text, flag) } -> std::same_as<bool>;
    tx.deleteEntry(text);
    tx.setState(text, state);
    // Logs the change and lets version() grow.
    tx.logChange(what, text, at);
};

} // namespace liga
