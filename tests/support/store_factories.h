// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pg_database.h"
#include "postgres_store.h"
#include "sqlite_store.h"
#include "store.h"
#include "testverzeichnis.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

// Fresh, empty leagues of one kind of store for a test; oeffnen() opens the same league
// again each time it is called, as a restart or a second server process would.
// fehlt() says why the kind cannot be had here, or nothing.

class SqliteFactory {
public:
    static constexpr const char* name = "SQLite";
    static bool required() { return true; }
    std::string missing() const { return {}; }
    std::unique_ptr<liga::Store> open() {
        return std::make_unique<liga::SqliteStore>(folder_.datei("liga.db"));
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

private:
    PgDatabase datenbank_;
};

using StoreFactories = ::testing::Types<SqliteFactory, PostgresFactory>;

struct StoreFactoryName {
    template <class T> static std::string GetName(int) { return T::name; }
};
