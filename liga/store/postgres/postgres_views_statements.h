// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace liga {

// The statements of the rankings beside `best` and of the pages' reads, by name: those
// that both stores share (views_sql.h) in PostgreSQL's form, and this store's own writes
// of what a transaction held back. Each connection prepares them all when it opens.
const std::vector<std::pair<std::string, std::string>>& postgresViewStatements();

// The name a shared statement is prepared under, by its SQLite text.
const std::string& postgresNameOf(const std::string& sqliteText);

} // namespace liga
