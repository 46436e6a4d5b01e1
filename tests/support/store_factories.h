// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pg_database.h"
#include "postgres_store.h"
#include "sqlite_store.h"
#include "store.h"
#include "testverzeichnis.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <string>

// Fresh, empty leagues of one kind of store for a test; oeffnen() opens the same league
// again each time it is called, as a restart or a second server process would.
// fehlt() says why the kind cannot be had here, or nothing. makeOlder() turns the league,
// closed, into what the last schema without the rankings beside `best` held (no period
// boards, sums, records or names, no time of the last change); it says what failed, or
// nothing.

class SqliteFactory {
public:
    static constexpr const char* name = "SQLite";
    static bool required() { return true; }
    std::string missing() const { return {}; }
    std::unique_ptr<liga::Store> open() {
        return std::make_unique<liga::SqliteStore>(folder_.datei("liga.db"));
    }
    std::string makeOlder() {
        sqlite3* db = nullptr;
        std::string why;
        if (sqlite3_open(folder_.datei("liga.db").c_str(), &db) != SQLITE_OK ||
            sqlite3_exec(db, R"(
                DROP TABLE period_best; DROP TABLE sum_best; DROP TABLE ranking_counts;
                DROP TABLE ranking_buckets; DROP TABLE records; DROP TABLE names;
                ALTER TABLE changes DROP COLUMN at; PRAGMA user_version = 4;
            )",
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            why = sqlite3_errmsg(db);
        sqlite3_close(db);
        return why;
    }

private:
    TTestVerzeichnis folder_;
};

class PostgresFactory {
public:
    static constexpr const char* name = "PostgreSQL";
    static bool required() { return PgDatabase::required(); }
    std::string missing() const { return datenbank_.missing; }
    std::unique_ptr<liga::Store> open() {
        return std::make_unique<liga::PostgresStore>(datenbank_.conninfo, 8);
    }
    std::string makeOlder() {
        PGconn* c = PQconnectdb(datenbank_.conninfo.c_str());
        // The index that the board's index with the name replaced comes back too.
        PGresult* r = PQexec(c, R"(
            DROP TABLE period_best, sum_best, ranking_counts, ranking_buckets, records, names;
            ALTER TABLE changes DROP COLUMN at;
            CREATE INDEX best_by_time ON best (level, tenths, received_at);
            UPDATE league_meta SET value = 3 WHERE key = 'schema';
        )");
        std::string why = PQresultStatus(r) == PGRES_COMMAND_OK ? "" : PQerrorMessage(c);
        PQclear(r);
        PQfinish(c);
        return why;
    }

private:
    PgDatabase datenbank_;
};

using StoreFactories = ::testing::Types<SqliteFactory, PostgresFactory>;

struct StoreFactoryName {
    template <class T> static std::string GetName(int) { return T::name; }
};
