// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "open_store.h"
#include "postgres_schema.h"
#include "postgres_store.h"
#include "sqlite_schema.h"
#include "sqlite_store.h"

#include <cstdlib>

namespace liga {

std::unique_ptr<Store> openStore(const std::string& db, unsigned connections,
                                 Durability durability) {
    if (namesPostgres(db)) return std::make_unique<PostgresStore>(db, connections, durability);
    return std::make_unique<SqliteStore>(db, durability);
}

std::string databaseSetting(std::string fromOption) {
    if (!fromOption.empty()) return fromOption;
    const char* environment = std::getenv("ZUNDEL_LIGA_DB");
    return environment ? environment : "";
}

std::string whyNoLeague(const std::string& db) {
    if (namesPostgres(db)) return whyPostgresHoldsNoLeague(db, waitFromNow());
    return whySqliteHoldsNoLeague(db);
}

} // namespace liga
