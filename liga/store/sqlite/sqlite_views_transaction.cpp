// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The SQLite transaction's part of the rankings beside `best` and the records.
#include "sqlite_transaction.h"
#include "sqlite_views.h"

namespace liga {

SqlRows SqliteTransaction::query(const std::string& sql, const std::vector<SqlValue>& values) {
    return sqliteRows(c_, {&sql, values});
}

void SqliteTransaction::execute(const std::string& sql, const std::vector<SqlValue>& values) {
    sqliteRows(c_, {&sql, values});
}

void SqliteTransaction::lockName(const std::string& name) {
    execute(stepSql().lockName, {foldedName(name), name});
}

} // namespace liga
