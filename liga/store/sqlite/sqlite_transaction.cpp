// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_transaction.h"
#include "ranking.h"

#include <sqlite3.h>

namespace liga {

namespace {

const char* const insertEntry =
    "INSERT INTO entries (code, name, level, tenths, received_at, state) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6) ON CONFLICT (code) DO NOTHING";
const char* const findEntry = "SELECT name, level, tenths, state FROM entries WHERE code = ?1";
const char* const findBarred = "SELECT EXISTS (SELECT 1 FROM barred WHERE name = ?1)";
const char* const insertBarred = "INSERT INTO barred (name) VALUES (?1) ON CONFLICT DO NOTHING";
const char* const deleteBarred = "DELETE FROM barred WHERE name = ?1";
const char* const findFastest = "SELECT tenths, received_at FROM entries "
                                "WHERE name = ?2 AND level = ?1 AND state = 0 "
                                "ORDER BY tenths, received_at LIMIT 1";
const char* const deleteBest = "DELETE FROM best WHERE level = ?1 AND name = ?2";
const char* const deleteEntry = "DELETE FROM entries WHERE code = ?1";
const char* const updateState = "UPDATE entries SET state = ?2 WHERE code = ?1";
const char* const insertLog = "INSERT INTO moderation_log (at, what, subject) VALUES (?1, ?2, ?3)";
const char* const findBest = "SELECT tenths FROM best WHERE level = ?1 AND name = ?2";
const char* const insertBest =
    "INSERT INTO best (level, name, tenths, received_at) VALUES (?1, ?2, ?3, ?4)";
const char* const updateBest =
    "UPDATE best SET tenths = ?3, received_at = ?4 WHERE level = ?1 AND name = ?2";
const char* const addCount = "INSERT INTO time_counts (level, tenths, names) VALUES (?1, ?2, ?3) "
                             "ON CONFLICT (level, tenths) DO UPDATE SET names = names + ?3";
const char* const dropCount =
    "UPDATE time_counts SET names = names + ?3 WHERE level = ?1 AND tenths = ?2";
const char* const addBucket = "INSERT INTO time_buckets (level, bucket, names) VALUES (?1, ?2, ?3) "
                              "ON CONFLICT (level, bucket) DO UPDATE SET names = names + ?3";
const char* const dropBucket =
    "UPDATE time_buckets SET names = names + ?3 WHERE level = ?1 AND bucket = ?2";
// ?3 is the time's bucket, ?4 its first time.
const char* const selectCounts =
    "SELECT (SELECT coalesce(sum(names), 0) FROM time_buckets WHERE level = ?1 AND bucket < ?3)"
    " + (SELECT coalesce(sum(names), 0) FROM time_counts"
    "    WHERE level = ?1 AND tenths >= ?4 AND tenths < ?2),"
    " (SELECT coalesce(sum(names), 0) FROM time_buckets WHERE level = ?1)";
// ?1 when: the time of the last change only grows.
const char* const bumpChanges = "UPDATE changes SET n = n + 1, at = max(at, ?1) WHERE shard = 0";
} // namespace

bool SqliteTransaction::barred(const std::string& name) {
    SqliteStatement s = statement(findBarred);
    return s.bind(1, name).step() && s.integer(0) != 0;
}

bool SqliteTransaction::addEntry(const Submission& e) {
    SqliteStatement s = statement(insertEntry);
    s.bind(1, e.code).bind(2, e.name).bind(3, e.level).bind(4, e.tenths);
    s.bind(5, e.receivedAt)
        .bind(6, static_cast<int64_t>(e.held ? EntryState::held : EntryState::ranked));
    s.step();
    return sqlite3_changes(c_.db) == 1;
}

std::optional<StoredEntry> SqliteTransaction::findEntry(const std::string& code) {
    SqliteStatement s = statement(liga::findEntry);
    if (!s.bind(1, code).step()) return std::nullopt;
    return StoredEntry{s.text(0), static_cast<int32_t>(s.integer(1)),
                       static_cast<int32_t>(s.integer(2)), static_cast<EntryState>(s.integer(3))};
}

std::optional<int32_t> SqliteTransaction::lockBest(int32_t level, const std::string& name) {
    SqliteStatement s = statement(findBest);
    if (!s.bind(1, level).bind(2, name).step()) return std::nullopt;
    return static_cast<int32_t>(s.integer(0));
}

bool SqliteTransaction::addBest(const Submission& e) {
    writeBest(insertBest, e);
    return true;
}

void SqliteTransaction::improveBest(const Submission& e) {
    writeBest(updateBest, e);
}

void SqliteTransaction::count(int32_t level, int32_t tenths, int64_t delta) {
    adjust(delta > 0 ? addCount : dropCount, level, tenths, delta);
}

void SqliteTransaction::countBucket(int32_t level, int32_t bucket, int64_t delta) {
    adjust(delta > 0 ? addBucket : dropBucket, level, bucket, delta);
}

TimeCounts SqliteTransaction::counts(int32_t level, int32_t tenths) {
    SqliteStatement s = statement(selectCounts);
    s.bind(1, level).bind(2, tenths).bind(3, bucketOf(tenths));
    s.bind(4, int64_t{bucketOf(tenths)} * timesPerBucket).step();
    return {s.integer(0), s.integer(1)};
}

void SqliteTransaction::recordChange(const Submission& e) {
    statement(bumpChanges).bind(1, e.receivedAt).step();
}

std::optional<FastestEntry> SqliteTransaction::fastestEntry(int32_t level,
                                                            const std::string& name) {
    SqliteStatement s = statement(findFastest);
    if (!s.bind(1, level).bind(2, name).step()) return std::nullopt;
    return FastestEntry{static_cast<int32_t>(s.integer(0)), s.integer(1)};
}

void SqliteTransaction::dropBest(int32_t level, const std::string& name) {
    statement(deleteBest).bind(1, level).bind(2, name).step();
}

bool SqliteTransaction::setBarred(const std::string& name, bool barred) {
    statement(barred ? insertBarred : deleteBarred).bind(1, name).step();
    return sqlite3_changes(c_.db) == 1;
}

void SqliteTransaction::deleteEntry(const std::string& code) {
    statement(liga::deleteEntry).bind(1, code).step();
}

void SqliteTransaction::setState(const std::string& code, EntryState state) {
    statement(updateState).bind(1, code).bind(2, static_cast<int64_t>(state)).step();
}

void SqliteTransaction::logChange(Moderation what, const std::string& subject, int64_t at) {
    statement(insertLog).bind(1, at).bind(2, static_cast<int64_t>(what)).bind(3, subject).step();
    statement(bumpChanges).bind(1, at).step();
}

void SqliteTransaction::adjust(const char* sql, int32_t level, int32_t key, int64_t delta) {
    statement(sql).bind(1, level).bind(2, key).bind(3, delta).step();
}

void SqliteTransaction::writeBest(const char* sql, const Submission& e) {
    statement(sql).bind(1, e.level).bind(2, e.name).bind(3, e.tenths).bind(4, e.receivedAt).step();
}

} // namespace liga
