// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_store.h"
#include "pg_connection.h"
#include "ranking.h"

#include <cctype>
#include <functional>
#include <utility>

namespace liga {

namespace {

// Version 1 had no time_buckets yet, 2 no state of entries, barred names or log of what
// operators changed.
constexpr int64_t schemaVersion = 3;
// Runs of a transaction that lost to another, at most.
constexpr int attempts = 5;
// Rows of the change count, so that writers seldom wait for each other on one.
constexpr int changeShards = 16;

const char* const schema = R"(
CREATE TABLE IF NOT EXISTS league_meta (
    key   TEXT   PRIMARY KEY,
    value BIGINT NOT NULL
);
CREATE TABLE IF NOT EXISTS entries (
    code        TEXT   PRIMARY KEY CHECK (length(code) = 64),
    name        TEXT   NOT NULL,
    level       INT    NOT NULL CHECK (level BETWEEN 1 AND 5),
    tenths      INT    NOT NULL CHECK (tenths > 0),
    received_at BIGINT NOT NULL,
    state       INT    NOT NULL DEFAULT 0 CHECK (state BETWEEN 0 AND 2)
);
CREATE INDEX IF NOT EXISTS entries_by_name ON entries (name, level, tenths, received_at);
CREATE TABLE IF NOT EXISTS best (
    level       INT    NOT NULL,
    name        TEXT   NOT NULL,
    tenths      INT    NOT NULL,
    received_at BIGINT NOT NULL,
    PRIMARY KEY (level, name)
);
CREATE INDEX IF NOT EXISTS best_by_time ON best (level, tenths, received_at);
CREATE TABLE IF NOT EXISTS time_counts (
    level  INT    NOT NULL,
    tenths INT    NOT NULL,
    names  BIGINT NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, tenths)
);
CREATE TABLE IF NOT EXISTS time_buckets (
    level  INT    NOT NULL,
    bucket INT    NOT NULL,
    names  BIGINT NOT NULL CHECK (names >= 0),
    PRIMARY KEY (level, bucket)
);
CREATE TABLE IF NOT EXISTS changes (
    shard INT    PRIMARY KEY,
    n     BIGINT NOT NULL
);
INSERT INTO changes (shard, n) SELECT s, 0 FROM generate_series(0, 15) AS s
    ON CONFLICT (shard) DO NOTHING;
CREATE TABLE IF NOT EXISTS barred (
    name TEXT PRIMARY KEY
);
CREATE TABLE IF NOT EXISTS moderation_log (
    id      BIGINT PRIMARY KEY,
    at      BIGINT NOT NULL,
    what    INT    NOT NULL,
    subject TEXT   NOT NULL
);
INSERT INTO league_meta (key, value) VALUES ('schema', 3), ('moderation', 0) -- schemaVersion
    ON CONFLICT (key) DO NOTHING;
)";

const std::pair<const char*, const char*> statements[] = {
    // Submissions share the lock of the row that a moderation takes alone.
    {"barred", "SELECT EXISTS (SELECT 1 FROM barred WHERE name = $1) FROM league_meta "
               "WHERE key = 'moderation' FOR SHARE"},
    {"lock_moderation", "SELECT value FROM league_meta WHERE key = 'moderation' FOR UPDATE"},
    {"insert_entry", "INSERT INTO entries (code, name, level, tenths, received_at, state) "
                     "VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT (code) DO NOTHING"},
    {"find_entry", "SELECT name, level, tenths, state FROM entries WHERE code = $1"},
    {"lock_best", "SELECT tenths FROM best WHERE level = $1 AND name = $2 FOR UPDATE"},
    {"insert_best", "INSERT INTO best (level, name, tenths, received_at) VALUES ($1, $2, $3, $4) "
                    "ON CONFLICT (level, name) DO NOTHING"},
    {"update_best", "UPDATE best SET tenths = $3, received_at = $4 WHERE level = $1 AND name = $2"},
    {"add_count", "INSERT INTO time_counts (level, tenths, names) VALUES ($1, $2, 1) "
                  "ON CONFLICT (level, tenths) DO UPDATE SET names = time_counts.names + 1"},
    {"drop_count", "UPDATE time_counts SET names = names - 1 WHERE level = $1 AND tenths = $2"},
    {"add_bucket", "INSERT INTO time_buckets (level, bucket, names) VALUES ($1, $2, 1) "
                   "ON CONFLICT (level, bucket) DO UPDATE SET names = time_buckets.names + 1"},
    {"drop_bucket", "UPDATE time_buckets SET names = names - 1 WHERE level = $1 AND bucket = $2"},
    // $3 is the time's bucket, $4 its first time.
    {"counts", "SELECT (SELECT COALESCE(SUM(names), 0) FROM time_buckets "
               "        WHERE level = $1 AND bucket < $3) "
               "     + (SELECT COALESCE(SUM(names), 0) FROM time_counts "
               "        WHERE level = $1 AND tenths >= $4 AND tenths < $2), "
               "       (SELECT COALESCE(SUM(names), 0) FROM time_buckets WHERE level = $1)"},
    {"record_change", "UPDATE changes SET n = n + 1 WHERE shard = $1"},
    {"version", "SELECT COALESCE(SUM(n), 0) FROM changes"},
    {"board", "SELECT name, tenths, received_at FROM best WHERE level = $1 "
              "ORDER BY tenths, received_at, name LIMIT $2"},
    {"fastest", "SELECT tenths, received_at FROM entries WHERE name = $2 AND level = $1 "
                "AND state = 0 ORDER BY tenths, received_at LIMIT 1"},
    {"drop_best", "DELETE FROM best WHERE level = $1 AND name = $2"},
    {"bar", "INSERT INTO barred (name) VALUES ($1) ON CONFLICT (name) DO NOTHING"},
    {"unbar", "DELETE FROM barred WHERE name = $1"},
    {"delete_entry", "DELETE FROM entries WHERE code = $1"},
    {"set_state", "UPDATE entries SET state = $2 WHERE code = $1"},
    // Numbered in order: moderations take their turns under lock_moderation.
    {"log_change", "INSERT INTO moderation_log (id, at, what, subject) "
                   "SELECT COALESCE(MAX(id), 0) + 1, $1, $2, $3 FROM moderation_log"},
    {"changes_since", "SELECT id, at, what, subject FROM moderation_log WHERE id > $1 ORDER BY id"},
    // Level 0, name '' and held 0 ask for any.
    {"entries", "SELECT code, name, level, tenths, received_at, state, "
                "       EXISTS (SELECT 1 FROM barred WHERE barred.name = entries.name) "
                "FROM entries WHERE ($1 = 0 OR level = $1) AND ($2 = '' OR name = $2) "
                "AND ($3 = 0 OR state = 1) ORDER BY received_at DESC, code DESC LIMIT $4"},
};

std::string number(int64_t n) {
    return std::to_string(n);
}

} // namespace

bool namesPostgres(const std::string& db) {
    if (db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0) return true;
    // "keyword = value ...": a path has no '=' right behind its first word.
    std::size_t i = 0;
    while (i < db.size() && (std::isalpha(static_cast<unsigned char>(db[i])) || db[i] == '_')) ++i;
    while (i < db.size() && db[i] == ' ') ++i;
    return i > 0 && i < db.size() && db[i] == '=';
}

// The steps of submitWithin as statements of one transaction. Rows are locked in the
// order entries, best, time_counts by ascending time, changes, in every transaction.
class PostgresStore::Transaction {
public:
    Transaction(PgConnection& c, Deadline until) : c_(c), until_(until) {}

    bool barred(const std::string& name) {
        const PgRows r = run("barred", {name});
        return r.count() == 1 && r.text(0, 0) == "t";
    }
    bool addEntry(const Submission& e) {
        const EntryState state = e.held ? EntryState::held : EntryState::ranked;
        return run("insert_entry", {e.code, e.name, number(e.level), number(e.tenths),
                                    number(e.receivedAt), number(static_cast<int64_t>(state))})
                   .affected() == 1;
    }
    std::optional<StoredEntry> findEntry(const std::string& code) {
        const PgRows r = run("find_entry", {code});
        if (r.count() != 1) return std::nullopt;
        return StoredEntry{r.text(0, 0), static_cast<int32_t>(r.integer(0, 1)),
                           static_cast<int32_t>(r.integer(0, 2)),
                           static_cast<EntryState>(r.integer(0, 3))};
    }
    std::optional<int32_t> lockBest(int32_t level, const std::string& name) {
        const PgRows r = run("lock_best", {number(level), name});
        if (r.count() == 0) return std::nullopt;
        return static_cast<int32_t>(r.integer(0, 0));
    }
    bool addBest(const Submission& e) { return writeBest("insert_best", e) == 1; }
    void improveBest(const Submission& e) { writeBest("update_best", e); }
    void count(int32_t level, int32_t tenths, int64_t delta) {
        run(delta > 0 ? "add_count" : "drop_count", {number(level), number(tenths)});
    }
    void countBucket(int32_t level, int32_t bucket, int64_t delta) {
        run(delta > 0 ? "add_bucket" : "drop_bucket", {number(level), number(bucket)});
    }
    TimeCounts counts(int32_t level, int32_t tenths) {
        const PgRows r = run("counts", {number(level), number(tenths), number(bucketOf(tenths)),
                                        number(int64_t{bucketOf(tenths)} * timesPerBucket)});
        return {r.integer(0, 0), r.integer(0, 1)};
    }
    void recordChange(const Submission& e) {
        run("record_change",
            {number(static_cast<int64_t>(std::hash<std::string>{}(e.code) % changeShards))});
    }

    std::optional<FastestEntry> fastestEntry(int32_t level, const std::string& name) {
        const PgRows r = run("fastest", {number(level), name});
        if (r.count() == 0) return std::nullopt;
        return FastestEntry{static_cast<int32_t>(r.integer(0, 0)), r.integer(0, 1)};
    }
    void dropBest(int32_t level, const std::string& name) {
        run("drop_best", {number(level), name});
    }
    void lockModeration() { run("lock_moderation", {}); }
    bool setBarred(const std::string& name, bool barred) {
        return run(barred ? "bar" : "unbar", {name}).affected() == 1;
    }
    void deleteEntry(const std::string& code) { run("delete_entry", {code}); }
    void setState(const std::string& code, EntryState state) {
        run("set_state", {code, number(static_cast<int64_t>(state))});
    }
    void logChange(Moderation what, const std::string& subject, int64_t at) {
        run("log_change", {number(at), number(static_cast<int64_t>(what)), subject});
        run("record_change", {"0"});
    }

private:
    PgRows run(const char* name, const std::vector<std::string>& values) {
        return c_.run(name, values, until_);
    }
    int64_t writeBest(const char* name, const Submission& e) {
        return run(name, {number(e.level), e.name, number(e.tenths), number(e.receivedAt)})
            .affected();
    }

    PgConnection& c_;
    Deadline until_;
};

PostgresStore::~PostgresStore() = default;

std::unique_ptr<PgConnection> PostgresStore::take(Deadline until) {
    {
        std::unique_lock lock(mutex_);
        if (!returned_.wait_until(lock, until,
                                  [&] { return !idle_.empty() || open_ < connections_; }))
            throw StoreUnavailable("every database connection is busy");
        if (!idle_.empty()) {
            std::unique_ptr<PgConnection> c = std::move(idle_.back());
            idle_.pop_back();
            return c;
        }
        ++open_;
    }
    try {
        auto c = std::make_unique<PgConnection>(conninfo_, until);
        const std::string wait = std::to_string(defaultWait.count());
        // The server's own bounds beside the deadline; a transaction left open by a
        // vanished client is ended by the server.
        c->exec("SET statement_timeout = " + wait + "; SET lock_timeout = " + wait +
                    "; SET idle_in_transaction_session_timeout = 60000; SET synchronous_commit = " +
                    (durability_ == Durability::flushLater ? "off" : "on"),
                until);
        for (const auto& [name, sql] : statements) c->prepare(name, sql, until);
        return c;
    } catch (...) {
        std::lock_guard lock(mutex_);
        --open_;
        returned_.notify_one();
        throw;
    }
}

void PostgresStore::give(std::unique_ptr<PgConnection> c) {
    std::lock_guard lock(mutex_);
    if (c->broken()) {
        // The server went away for this one, so most likely for its idle fellows too:
        // they are opened again when needed.
        open_ -= 1 + static_cast<unsigned>(idle_.size());
        idle_.clear();
    } else {
        idle_.push_back(std::move(c));
    }
    returned_.notify_all();
}

template <class Work>
auto PostgresStore::withConnection(bool transaction, Deadline until, Work work) {
    for (int attempt = 1;; ++attempt) {
        std::unique_ptr<PgConnection> c = take(until);
        bool committing = false;
        const auto rollback = [&] {
            if (!transaction || c->broken()) return;
            try {
                c->exec("ROLLBACK", until);
            } catch (const std::exception&) {
                // broken now, and dropped by give
            }
        };
        try {
            if (transaction) c->exec("BEGIN", until);
            auto result = work(*c);
            committing = true;
            if (transaction) c->exec("COMMIT", until);
            give(std::move(c));
            return result;
        } catch (const PgError& e) {
            rollback();
            give(std::move(c));
            if (!e.retryable() || attempt >= attempts) throw;
        } catch (const StoreUnavailable&) {
            const bool lost = c->broken();
            rollback();
            give(std::move(c));
            // Lost before it committed, nothing of it stayed: once more, on a new
            // connection, in case the server is back.
            if (!lost || committing || attempt >= 2) throw;
        } catch (...) {
            rollback();
            give(std::move(c));
            throw;
        }
        if (Deadline::clock::now() >= until) throw StoreUnavailable("the database is busy");
    }
}

PostgresStore::PostgresStore(std::string conninfo, unsigned connections, Durability durability,
                             Deadline until)
    : conninfo_(std::move(conninfo)), connections_(std::max(connections, 1u)),
      durability_(durability) {
    // Two processes starting at once may both create the tables; the loser sees them made.
    // The first process that finds them older brings them up to date; the others wait for
    // the row lock and find it done. Before that no statement of the pool is prepared, as
    // one may name what is still missing.
    int64_t version = 0;
    for (int attempt = 1;; ++attempt) {
        PgConnection c(conninfo_, until);
        try {
            c.exec(schema, until);
            c.exec("BEGIN; SET LOCAL statement_timeout = 0", until);
            c.prepare("schema_version",
                      "SELECT value FROM league_meta WHERE key = 'schema' FOR UPDATE", until);
            version = c.run("schema_version", {}, until).integer(0, 0);
            if (version < 2) {
                c.exec("DELETE FROM time_buckets; "
                       "INSERT INTO time_buckets (level, bucket, names) SELECT level, tenths / " +
                           std::to_string(timesPerBucket) +
                           ", SUM(names) FROM time_counts GROUP BY 1, 2",
                       until);
            }
            if (version < 3) {
                // Every entry so far ranked as before.
                c.exec("ALTER TABLE entries ADD COLUMN IF NOT EXISTS state INT NOT NULL "
                       "DEFAULT 0 CHECK (state BETWEEN 0 AND 2)",
                       until);
            }
            if (version < schemaVersion)
                c.exec("UPDATE league_meta SET value = " + number(schemaVersion) +
                           " WHERE key = 'schema'",
                       until);
            c.exec("COMMIT", until);
            break;
        } catch (const PgError&) {
            // The connection goes with its open transaction.
            if (attempt >= attempts) throw;
        }
    }
    if (version > schemaVersion)
        throw std::runtime_error("the database was made by a newer zundel-liga (schema " +
                                 std::to_string(version) + ")");
}

Placement PostgresStore::submitBefore(const Submission& e, Deadline until) {
    return withConnection(true, until, [&](PgConnection& c) {
        Transaction tx(c, until);
        return submitWithin(tx, e);
    });
}

std::vector<BoardRow> PostgresStore::boardBefore(int32_t level, int64_t limit, Deadline until) {
    return withConnection(false, until, [&](PgConnection& c) {
        const PgRows r = c.run("board", {number(level), number(limit)}, until);
        std::vector<BoardRow> rows;
        for (int i = 0; i < r.count(); ++i)
            rows.push_back(
                {0, r.text(i, 0), static_cast<int32_t>(r.integer(i, 1)), r.integer(i, 2)});
        numberPlaces(rows);
        return rows;
    });
}

uint64_t PostgresStore::versionBefore(Deadline until) {
    return withConnection(false, until, [&](PgConnection& c) {
        return static_cast<uint64_t>(c.run("version", {}, until).integer(0, 0));
    });
}

ModerationResult PostgresStore::moderateBefore(Moderation what, const std::string& subject,
                                               int64_t at, Deadline until) {
    return withConnection(true, until, [&](PgConnection& c) {
        Transaction tx(c, until);
        return moderateWithin(tx, what, subject, at);
    });
}

std::vector<EntryRow> PostgresStore::entriesBefore(const EntryQuery& q, Deadline until) {
    return withConnection(false, until, [&](PgConnection& c) {
        const PgRows r =
            c.run("entries",
                  {number(q.level.value_or(0)), q.name.value_or(std::string()),
                   number(q.heldOnly ? 1 : 0), number(q.limit > 0 ? q.limit : INT64_MAX)},
                  until);
        std::vector<EntryRow> rows;
        for (int i = 0; i < r.count(); ++i)
            rows.push_back({r.text(i, 0), r.text(i, 1), static_cast<int32_t>(r.integer(i, 2)),
                            static_cast<int32_t>(r.integer(i, 3)), r.integer(i, 4),
                            static_cast<EntryState>(r.integer(i, 5)), r.text(i, 6) == "t"});
        return rows;
    });
}

std::vector<LoggedChange> PostgresStore::changesSinceBefore(int64_t after, Deadline until) {
    return withConnection(false, until, [&](PgConnection& c) {
        const PgRows r = c.run("changes_since", {number(after)}, until);
        std::vector<LoggedChange> changes;
        for (int i = 0; i < r.count(); ++i)
            changes.push_back({r.integer(i, 0), r.integer(i, 1),
                               static_cast<Moderation>(r.integer(i, 2)), r.text(i, 3)});
        return changes;
    });
}

} // namespace liga
