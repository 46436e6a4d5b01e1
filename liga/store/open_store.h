// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"

#include <memory>
#include <string>

namespace liga {

// The store that --db names: a PostgreSQL database (see namesPostgres) with at most
// `connections` connections, or else an SQLite file. Throws as the store's constructor does.
std::unique_ptr<Store> openStore(const std::string& db, unsigned connections,
                                 Durability durability = Durability::flushLater);

// The database that --db named, or else the one in the environment variable ZUNDEL_LIGA_DB:
// a password in the command line is there for every local user to read, in the
// environment only for the process's own user.
std::string databaseSetting(std::string fromOption);

// Why the database that --db names holds no league, so that opening it would make one;
// empty when it holds one. Makes and changes nothing. Throws StoreUnavailable when a
// PostgreSQL database cannot be reached.
std::string whyNoLeague(const std::string& db);

} // namespace liga
