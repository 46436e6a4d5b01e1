// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "open_store.h"
#include "postgres_store.h"
#include "sqlite_store.h"

namespace liga {

std::unique_ptr<Store> openStore(const std::string& db, unsigned connections,
                                 Durability durability) {
    if (namesPostgres(db)) return std::make_unique<PostgresStore>(db, connections, durability);
    return std::make_unique<SqliteStore>(db, durability);
}

} // namespace liga
