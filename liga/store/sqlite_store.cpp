// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_store.h"
#include "database_watch.h"
#include "ranking.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace liga {

namespace {

// Version 1 had entries and best; version 3 adds time_counts, time_buckets and changes
// (2 had no buckets yet); version 4 the entries' state, barred names and the log of what
// operators changed.
constexpr int schemaVersion = 4;

const char* const schema = R"(
CREATE TABLE IF NOT EXISTS entries (
    id          INTEGER PRIMARY KEY,
    code        TEXT    NOT NULL UNIQUE CHECK (length(code) = 64),
    name        TEXT    NOT NULL,
    level       INTEGER NOT NULL CHECK (level BETWEEN 1 AND 5),
    tenths      INTEGER NOT NULL CHECK (tenths > 0),
    received_at INTEGER NOT NULL,
    state       INTEGER NOT NULL DEFAULT 0 CHECK (state BETWEEN 0 AND 2)
);
CREATE TABLE IF NOT EXISTS best (
    level       INTEGER NOT NULL,
    name        TEXT    NOT NULL,
    tenths      INTEGER NOT NULL,
    received_at INTEGER NOT NULL,
    PRIMARY KEY (level, name)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS best_by_time ON best (level, tenths, received_at);
CREATE TABLE IF NOT EXISTS time_counts (
    level  INTEGER NOT NULL,
    tenths INTEGER NOT NULL,
    names  INTEGER NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, tenths)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS time_buckets (
    level  INTEGER NOT NULL,
    bucket INTEGER NOT NULL,
    names  INTEGER NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, bucket)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS changes (
    shard INTEGER PRIMARY KEY,
    n     INTEGER NOT NULL
);
INSERT OR IGNORE INTO changes (shard, n) VALUES (0, 0);
CREATE TABLE IF NOT EXISTS barred (
    name TEXT PRIMARY KEY
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS moderation_log (
    id      INTEGER PRIMARY KEY,
    at      INTEGER NOT NULL,
    what    INTEGER NOT NULL,
    subject TEXT    NOT NULL
);
)";
// A file of an older version gets the entries' state, every entry ranked as before.
const char* const addState = "ALTER TABLE entries ADD COLUMN state INTEGER NOT NULL DEFAULT 0 "
                             "CHECK (state BETWEEN 0 AND 2)";
const char* const hasState =
    "SELECT count(*) FROM pragma_table_info('entries') WHERE name = 'state'";
// What a moderation looks up: a name's fastest entry on a level.
const char* const nameIndex =
    "CREATE INDEX IF NOT EXISTS entries_by_name ON entries (name, level, tenths, received_at)";

// From the best times of a file that had no counts yet.
const std::string recount = "DELETE FROM time_counts; DELETE FROM time_buckets; "
                            "INSERT INTO time_counts (level, tenths, names) "
                            "SELECT level, tenths, count(*) FROM best GROUP BY level, tenths; "
                            "INSERT INTO time_buckets (level, bucket, names) "
                            "SELECT level, tenths / " +
                            std::to_string(timesPerBucket) + ", count(*) FROM best GROUP BY 1, 2";

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
const char* const selectLog =
    "SELECT id, at, what, subject FROM moderation_log WHERE id > ?1 ORDER BY id";
// Level 0, name '' and held 0 ask for any; limit -1 for no limit.
const char* const selectEntries =
    "SELECT code, name, level, tenths, received_at, state, "
    "       EXISTS (SELECT 1 FROM barred WHERE barred.name = entries.name) "
    "FROM entries WHERE (?1 = 0 OR level = ?1) AND (?2 = '' OR name = ?2) "
    "AND (?3 = 0 OR state = 1) ORDER BY received_at DESC, id DESC LIMIT ?4";
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
const char* const bumpChanges = "UPDATE changes SET n = n + 1 WHERE shard = 0";
const char* const selectVersion = "SELECT coalesce(sum(n), 0) FROM changes";
const char* const selectBoard = "SELECT name, tenths, received_at FROM best WHERE level = ?1 "
                                "ORDER BY tenths, received_at, name LIMIT ?2";

[[noreturn]] void fail(sqlite3* db, const std::string& what) {
    const int code = db ? sqlite3_errcode(db) : SQLITE_NOMEM;
    const std::string why = what + ": " + (db ? sqlite3_errmsg(db) : "no memory");
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) throw StoreUnavailable(why);
    throw std::runtime_error(why);
}

} // namespace

// One handle on the file with its prepared statements, used by one thread at a time.
class SqliteStore::Connection {
public:
    Connection(const std::string& path, bool writes, Durability durability) {
        const int flags =
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (writes ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
            const std::string why = db ? sqlite3_errmsg(db) : "no memory";
            sqlite3_close(db);
            throw std::runtime_error("cannot open " + path + ": " + why);
        }
        try {
            sqlite3_busy_timeout(db, static_cast<int>(defaultWait.count()));
            if (writes) {
                exec("PRAGMA journal_mode = WAL");
                // The Checkpointer's work, not a committing request's.
                exec("PRAGMA wal_autocheckpoint = 0");
                // A log that a long reader made long shrinks back once it is reused.
                exec("PRAGMA journal_size_limit = 16777216");
                // In WAL mode, NORMAL waits for no disk flush at a commit.
                exec(durability == Durability::flushLater ? "PRAGMA synchronous = NORMAL"
                                                          : "PRAGMA synchronous = FULL");
            } else {
                exec("PRAGMA query_only = ON");
            }
        } catch (...) {
            sqlite3_close(db);
            throw;
        }
    }
    ~Connection() {
        for (auto& [sql, s] : statements) sqlite3_finalize(s);
        sqlite3_close(db);
    }

    void exec(const char* sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db, sql);
    }
    sqlite3_stmt* prepared(const char* sql) {
        sqlite3_stmt*& s = statements[sql];
        if (!s &&
            sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
            fail(db, sql);
        return s;
    }

    sqlite3* db = nullptr;
    std::timed_mutex mutex;
    const DatabaseWatch* watch = nullptr; // none in memory

private:
    std::map<const char*, sqlite3_stmt*> statements; // by the address of their text
};

namespace {

// The connection for one call: taken before the deadline, and the library's own wait for
// a lock held by another process ends there too.
class Lease {
public:
    template <class C> Lease(C& c, Deadline until) : lock_(c.mutex, std::defer_lock) {
        if (c.watch && c.watch->gone()) throw StoreGone("the league file was deleted or replaced");
        if (!lock_.try_lock_until(until)) throw StoreUnavailable("the league database is busy");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Deadline::clock::now());
        sqlite3_busy_timeout(c.db, static_cast<int>(std::max<int64_t>(left.count(), 1)));
    }

private:
    std::unique_lock<std::timed_mutex> lock_;
};

// Resets a prepared statement and its bindings whichever way a call leaves.
class Statement {
public:
    Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, int64_t v) {
        if (sqlite3_bind_int64(stmt_, i, v) != SQLITE_OK) fail(db_, "bind");
        return *this;
    }
    Statement& bind(int i, const std::string& v) {
        if (sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT) !=
            SQLITE_OK)
            fail(db_, "bind");
        return *this;
    }
    // True while a row is there.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail(db_, sqlite3_sql(stmt_));
    }
    int64_t integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string text(int col) const {
        const auto* p = sqlite3_column_text(stmt_, col);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
                 : std::string();
    }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_;
};

} // namespace

// The steps of submitWithin on the writing connection, inside BEGIN IMMEDIATE: the file's
// write lock is held throughout, so no other writer comes between them.
class SqliteStore::Transaction {
public:
    explicit Transaction(Connection& c) : c_(c) {}

    Statement statement(const char* sql) { return Statement(c_.db, c_.prepared(sql)); }

    bool addEntry(const Submission& e) {
        Statement s = statement(insertEntry);
        s.bind(1, e.code).bind(2, e.name).bind(3, e.level).bind(4, e.tenths);
        s.bind(5, e.receivedAt)
            .bind(6, static_cast<int64_t>(e.held ? EntryState::held : EntryState::ranked));
        s.step();
        return sqlite3_changes(c_.db) == 1;
    }
    std::optional<StoredEntry> findEntry(const std::string& code) {
        Statement s = statement(liga::findEntry);
        if (!s.bind(1, code).step()) return std::nullopt;
        return StoredEntry{s.text(0), static_cast<int32_t>(s.integer(1)),
                           static_cast<int32_t>(s.integer(2)),
                           static_cast<EntryState>(s.integer(3))};
    }
    bool barred(const std::string& name) {
        Statement s = statement(findBarred);
        return s.bind(1, name).step() && s.integer(0) != 0;
    }
    std::optional<int32_t> lockBest(int32_t level, const std::string& name) {
        Statement s = statement(findBest);
        if (!s.bind(1, level).bind(2, name).step()) return std::nullopt;
        return static_cast<int32_t>(s.integer(0));
    }
    bool addBest(const Submission& e) {
        writeBest(insertBest, e);
        return true;
    }
    void improveBest(const Submission& e) { writeBest(updateBest, e); }
    void count(int32_t level, int32_t tenths, int64_t delta) {
        adjust(delta > 0 ? addCount : dropCount, level, tenths, delta);
    }
    void countBucket(int32_t level, int32_t bucket, int64_t delta) {
        adjust(delta > 0 ? addBucket : dropBucket, level, bucket, delta);
    }
    TimeCounts counts(int32_t level, int32_t tenths) {
        Statement s = statement(selectCounts);
        s.bind(1, level).bind(2, tenths).bind(3, bucketOf(tenths));
        s.bind(4, int64_t{bucketOf(tenths)} * timesPerBucket).step();
        return {s.integer(0), s.integer(1)};
    }
    void recordChange(const Submission&) { statement(bumpChanges).step(); }

    std::optional<FastestEntry> fastestEntry(int32_t level, const std::string& name) {
        Statement s = statement(findFastest);
        if (!s.bind(1, level).bind(2, name).step()) return std::nullopt;
        return FastestEntry{static_cast<int32_t>(s.integer(0)), s.integer(1)};
    }
    void dropBest(int32_t level, const std::string& name) {
        statement(deleteBest).bind(1, level).bind(2, name).step();
    }
    // The file's write lock, taken by BEGIN IMMEDIATE, keeps everybody else out.
    void lockModeration() {}
    bool setBarred(const std::string& name, bool barred) {
        statement(barred ? insertBarred : deleteBarred).bind(1, name).step();
        return sqlite3_changes(c_.db) == 1;
    }
    void deleteEntry(const std::string& code) { statement(liga::deleteEntry).bind(1, code).step(); }
    void setState(const std::string& code, EntryState state) {
        statement(updateState).bind(1, code).bind(2, static_cast<int64_t>(state)).step();
    }
    void logChange(Moderation what, const std::string& subject, int64_t at) {
        statement(insertLog)
            .bind(1, at)
            .bind(2, static_cast<int64_t>(what))
            .bind(3, subject)
            .step();
        statement(bumpChanges).step();
    }

private:
    void adjust(const char* sql, int32_t level, int32_t key, int64_t delta) {
        statement(sql).bind(1, level).bind(2, key).bind(3, delta).step();
    }
    void writeBest(const char* sql, const Submission& e) {
        statement(sql)
            .bind(1, e.level)
            .bind(2, e.name)
            .bind(3, e.tenths)
            .bind(4, e.receivedAt)
            .step();
    }

    Connection& c_;
};

// Copies the log back into the file once a commit has made it long, in a thread and on a
// connection of its own, without waiting for readers or writers (a passive checkpoint):
// at a commit the library would do it in the committing request, with its disk flushes.
// Twice a second it also looks whether the file is still the league's, and brings a log
// that a long reader made long back to nothing once no reader needs it.
class SqliteStore::Checkpointer {
public:
    // Pages of log that make a checkpoint due; the library's own default.
    static constexpr int duePages = 1000;
    // A log longer than this is emptied as soon as readers let it.
    static constexpr uint64_t longLog = 4u << 20;

    Checkpointer(const std::string& path, Durability durability, sqlite3* writer)
        : connection_(path, true, durability), writer_(writer), log_(path + "-wal"), watch_(path) {
        sqlite3_wal_hook(writer_, &Checkpointer::committed, this);
        thread_ = std::thread([this] { work(); });
    }
    ~Checkpointer() {
        sqlite3_wal_hook(writer_, nullptr, nullptr);
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    const DatabaseWatch& watch() const { return watch_; }

private:
    static int committed(void* self, sqlite3*, const char*, int pages) {
        if (pages >= duePages) {
            auto* c = static_cast<Checkpointer*>(self);
            {
                std::lock_guard lock(c->mutex_);
                c->due_ = true;
            }
            c->wake_.notify_one();
        }
        return SQLITE_OK;
    }
    uint64_t logSize() const {
        struct stat s {};
        return ::stat(log_.c_str(), &s) == 0 ? static_cast<uint64_t>(s.st_size) : 0;
    }
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait_for(lock, std::chrono::milliseconds(500),
                           [this] { return due_ || stopping_; });
            if (stopping_) return;
            const bool due = std::exchange(due_, false);
            lock.unlock();
            // Never a checkpoint into a file that is no longer the league's.
            if (watch_.look()) {
                const bool longLogNow = logSize() > longLog;
                if (due || longLogNow)
                    sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_PASSIVE,
                                              nullptr, nullptr);
                if (longLogNow) {
                    // What is left to copy after the passive one is little; without a busy
                    // handler it gives up at once while a reader still needs the log.
                    sqlite3_busy_timeout(connection_.db, 0);
                    sqlite3_wal_checkpoint_v2(connection_.db, nullptr, SQLITE_CHECKPOINT_TRUNCATE,
                                              nullptr, nullptr);
                }
                if (due || longLogNow) watch_.ownWrite();
            }
            lock.lock();
        }
    }

    Connection connection_;
    sqlite3* writer_;
    const std::string log_;
    DatabaseWatch watch_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool due_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

SqliteStore::SqliteStore(const std::string& path, Durability durability)
    : writer_(std::make_unique<Connection>(path, true, durability)) {
    Connection& w = *writer_;
    w.exec("BEGIN IMMEDIATE");
    try {
        int version = 0;
        {
            Statement s(w.db, w.prepared("PRAGMA user_version"));
            if (s.step()) version = static_cast<int>(s.integer(0));
        }
        if (version > schemaVersion)
            throw std::runtime_error(path + " was made by a newer zundel-liga (schema " +
                                     std::to_string(version) + ")");
        w.exec(schema);
        {
            Statement s(w.db, w.prepared(hasState));
            s.step();
            if (s.integer(0) == 0) w.exec(addState);
        }
        w.exec(nameIndex);
        if (version < schemaVersion) {
            w.exec(recount.c_str());
            w.exec(("PRAGMA user_version = " + std::to_string(schemaVersion)).c_str());
        }
        w.exec("COMMIT");
    } catch (...) {
        sqlite3_exec(w.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (path == ":memory:" || path.empty()) {
        reading_ = writer_.get();
    } else {
        reader_ = std::make_unique<Connection>(path, false, durability);
        reading_ = reader_.get();
        checkpointer_ = std::make_unique<Checkpointer>(path, durability, writer_->db);
        writer_->watch = reader_->watch = &checkpointer_->watch();
    }
}

SqliteStore::~SqliteStore() = default;

template <class Work> auto SqliteStore::writing(Deadline until, Work work) {
    Lease lease(*writer_, until);
    Transaction tx(*writer_);
    tx.statement("BEGIN IMMEDIATE").step();
    try {
        auto result = work(tx);
        tx.statement("COMMIT").step();
        return result;
    } catch (...) {
        sqlite3_exec(writer_->db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

Placement SqliteStore::submitBefore(const Submission& e, Deadline until) {
    return writing(until, [&](Transaction& tx) { return submitWithin(tx, e); });
}

ModerationResult SqliteStore::moderateBefore(Moderation what, const std::string& subject,
                                             int64_t at, Deadline until) {
    return writing(until, [&](Transaction& tx) { return moderateWithin(tx, what, subject, at); });
}

std::vector<BoardRow> SqliteStore::boardBefore(int32_t level, int64_t limit, Deadline until) {
    Lease lease(*reading_, until);
    std::vector<BoardRow> rows;
    Statement select(reading_->db, reading_->prepared(selectBoard));
    select.bind(1, level).bind(2, limit);
    while (select.step())
        rows.push_back(
            {0, select.text(0), static_cast<int32_t>(select.integer(1)), select.integer(2)});
    numberPlaces(rows);
    return rows;
}

uint64_t SqliteStore::versionBefore(Deadline until) {
    Lease lease(*reading_, until);
    Statement s(reading_->db, reading_->prepared(selectVersion));
    s.step();
    return static_cast<uint64_t>(s.integer(0));
}

std::vector<EntryRow> SqliteStore::entriesBefore(const EntryQuery& q, Deadline until) {
    Lease lease(*reading_, until);
    std::vector<EntryRow> rows;
    Statement s(reading_->db, reading_->prepared(selectEntries));
    s.bind(1, q.level.value_or(0)).bind(2, q.name.value_or(std::string()));
    s.bind(3, q.heldOnly ? 1 : 0).bind(4, q.limit > 0 ? q.limit : -1);
    while (s.step())
        rows.push_back({s.text(0), s.text(1), static_cast<int32_t>(s.integer(2)),
                        static_cast<int32_t>(s.integer(3)), s.integer(4),
                        static_cast<EntryState>(s.integer(5)), s.integer(6) != 0});
    return rows;
}

std::vector<LoggedChange> SqliteStore::changesSinceBefore(int64_t after, Deadline until) {
    Lease lease(*reading_, until);
    std::vector<LoggedChange> changes;
    Statement s(reading_->db, reading_->prepared(selectLog));
    s.bind(1, after);
    while (s.step())
        changes.push_back(
            {s.integer(0), s.integer(1), static_cast<Moderation>(s.integer(2)), s.text(3)});
    return changes;
}

} // namespace liga
