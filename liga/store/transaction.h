// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What a store's transaction must offer for the league's rules (ranking.h) to run inside
// it: the compiler checks each store's transaction against these concepts.
#pragma once
#include "period.h"
#include "store.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// One ranking kept beside the all-time boards (`best`): a level's board in a calendar
// period, or the combined ranking (level 0) all time (kind 0, since 0) or in a period.
struct RankingKey {
    int32_t kind = 0; // a Period as a number
    int64_t since = 0;
    int32_t level = 0;
    auto operator<=>(const RankingKey&) const = default;
};

// The level of the combined ranking in a RankingKey.
constexpr int32_t sumRankingLevel = 0;

// A name's best in one ranking: its time and when the entry came.
struct TimedBest {
    int32_t tenths = 0;
    int64_t receivedAt = 0;
    bool operator==(const TimedBest&) const = default;
};

// A name's line in the combined ranking: its bests on levels 1, 2 and 3.
struct SumBest {
    std::array<int32_t, 3> tenths{};
    int64_t receivedAt = 0; // the latest of the three
    int32_t total() const { return tenths[0] + tenths[1] + tenths[2]; }
    bool operator==(const SumBest&) const = default;
};

// A record as the chain of a level keeps it, in order of (receivedAt, code).
struct RecordMark {
    std::string code;
    int32_t level = 0;
    int32_t tenths = 0;
    int64_t receivedAt = 0;
};

// What a submission's rankings beside `best` start from, read at once: the name's best on
// the entry's level in its year, month and week; for levels 1 to 3, its bests on those
// levels all time and in the three periods ([kind][level - 1]) and its lines of the
// combined ranking ([kind]); and the last record of the level before the entry.
struct NameRows {
    std::array<std::optional<TimedBest>, 3> periodBest;
    std::array<std::array<std::optional<TimedBest>, 3>, 4> summed;
    std::array<std::optional<SumBest>, 4> sums;
    std::optional<RecordMark> recordBefore;
};

// The steps of a submission for the rankings beside `best` and the records. A store may
// hold back the writes until the transaction ends (its reads still see them) and then
// write the count rows in ascending order of key. A name's rankings change only under
// lockName, which a submission takes before `best`.
template <class Tx>
concept ViewsTransaction = requires(Tx& tx, const Submission& entry, const std::string& text,
                                    const RankingKey& key, const TimedBest& timed,
                                    const SumBest& sum, const RecordMark& mark,
                                    const std::array<int64_t, 3>& since, int32_t number, int64_t at,
                                    int64_t delta) {
    // Keeps every other submission of the name waiting until the transaction ends, and
    // lets search find the name.
    tx.lockName(text);
    { tx.nameRows(entry, since) } -> std::same_as<NameRows>;
    tx.putPeriodBest(key, text, timed);
    tx.putSum(key, text, sum);
    tx.dropPeriodBest(key, text);
    tx.dropSum(key, text);
    // The names whose best in the ranking is this time (or sum) change by delta.
    tx.countRanking(key, number, delta);
    // Keeps every other change of records waiting until the transaction ends.
    tx.lockRecords();
    { tx.recordBefore(number, at, text) } -> std::same_as<std::optional<RecordMark>>;
    tx.addRecord(mark, text);
    // Drops the level's records after the mark's (at, code) that are not faster than it.
    tx.dropSlowerRecordsAfter(mark);
};

// The steps of a moderation for the rankings beside `best` and the records.
template <class Tx>
concept ModerationViewsTransaction = ViewsTransaction<Tx> &&
    requires(Tx& tx, const std::string& text, const RankingKey& key, const RecordMark& mark,
             int32_t number, int64_t at) {
    { tx.barred(text) } -> std::same_as<bool>;
    { tx.entryOf(text) } -> std::same_as<std::optional<EntryRow>>;
    { tx.periodBestOf(key, text) } -> std::same_as<std::optional<TimedBest>>;
    // A name's fastest ranked entry on a level that arrived in [at, until).
    { tx.fastestIn(number, text, at, at) } -> std::same_as<std::optional<TimedBest>>;
    // A name's bests on levels 1, 2 and 3 in a ranking (its level is not looked at).
    { tx.summedBests(key, text) } -> std::same_as<std::array<std::optional<TimedBest>, 3>>;
    { tx.sumOf(key, text) } -> std::same_as<std::optional<SumBest>>;
    // The rankings beside `best` that hold the name.
    { tx.rankingsOf(text) } -> std::same_as<std::vector<RankingKey>>;
    // A name's ranked entries, oldest first.
    { tx.rankedEntriesOf(text) } -> std::same_as<std::vector<EntryRow>>;
    // The records that entries of the name hold.
    { tx.recordsOfName(text) } -> std::same_as<std::vector<RecordMark>>;
    // Drops the level's records from (at, code) on.
    tx.dropRecordsFrom(mark);
    // The ranked entries of names on the level's board faster than `number`, oldest first.
    { tx.entriesFaster(number, number) } -> std::same_as<std::vector<EntryRow>>;
};

// The steps of one submission. Count rows are changed in ascending order of time, first
// the times and then the buckets, so that writers on a database with row locks never wait
// for each other in a circle.
template <class Tx>
concept SubmissionTransaction = ViewsTransaction<Tx> &&
    requires(Tx& tx, const Submission& entry, const std::string& text, int32_t number,
             int64_t delta, const SharedLimit& limit) {
    // Takes one submission from the client's shared bucket; false, and nothing taken, when
    // it has none left.
    { tx.takeToken(limit) } -> std::same_as<bool>;
    // Whether the name is barred; also keeps moderations out until the transaction ends.
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
concept ModerationTransaction = SubmissionTransaction<Tx> && ModerationViewsTransaction<Tx> &&
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
