// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pgdatenbank.h"
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

class SqliteFabrik {
public:
    static constexpr const char* name = "SQLite";
    static bool pflicht() { return true; }
    std::string fehlt() const { return {}; }
    std::unique_ptr<liga::Store> oeffnen() {
        return std::make_unique<liga::SqliteStore>(ordner_.datei("liga.db"));
    }

private:
    TTestVerzeichnis ordner_;
};

class PostgresFabrik {
public:
    static constexpr const char* name = "PostgreSQL";
    static bool pflicht() { return TPgDatenbank::pflicht(); }
    std::string fehlt() const { return datenbank_.fehlt; }
    std::unique_ptr<liga::Store> oeffnen() {
        return std::make_unique<liga::PostgresStore>(datenbank_.verbindung, 8);
    }

private:
    TPgDatenbank datenbank_;
};

using Speicherfabriken = ::testing::Types<SqliteFabrik, PostgresFabrik>;

struct Speicherfabrikname {
    template <class T> static std::string GetName(int) { return T::name; }
};
