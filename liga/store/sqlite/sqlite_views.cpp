// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_views.h"
#include "sqlite_connection.h"

#include <sqlite3.h>

namespace liga {

namespace {

const char* const begin = "BEGIN";
const char* const commit = "COMMIT";

} // namespace

SqlRows sqliteRows(SqliteConnection& c, const SqlCall& call) {
    sqlite3_stmt* raw = c.prepared(call.sql->c_str());
    SqliteStatement s(c.db, raw);
    for (std::size_t i = 0; i < call.values.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        if (const auto* n = std::get_if<int64_t>(&call.values[i]))
            s.bind(at, *n);
        else
            s.bind(at, std::get<std::string>(call.values[i]));
    }
    SqlRows rows;
    const int columns = sqlite3_column_count(raw);
    while (s.step()) {
        SqlRows::Row row(static_cast<std::size_t>(columns));
        for (int k = 0; k < columns; ++k)
            if (sqlite3_column_type(raw, k) != SQLITE_NULL)
                row[static_cast<std::size_t>(k)] = s.text(k);
        rows.add(std::move(row));
    }
    return rows;
}

SqliteViewsReader::SqliteViewsReader(const std::string& path, Durability durability,
                                     const DatabaseWatch* watch, unsigned connections) {
    for (unsigned i = 0; i < connections; ++i) {
        own_.push_back(std::make_unique<SqliteConnection>(path, false, durability));
        own_.back()->watch = watch;
        connections_.push_back(own_.back().get());
    }
}

SqliteViewsReader::SqliteViewsReader(SqliteConnection& only) : connections_{&only} {}

SqliteViewsReader::~SqliteViewsReader() = default;

std::vector<SqlRows> SqliteViewsReader::read(const std::vector<SqlCall>& calls, Deadline until) {
    SqliteConnection& c = *connections_[next_++ % connections_.size()];
    SqliteLease lease(c, until);
    SqliteStatement(c, begin).step();
    std::vector<SqlRows> answers;
    try {
        for (const SqlCall& call : calls) answers.push_back(sqliteRows(c, call));
        SqliteStatement(c, commit).step();
    } catch (...) {
        sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return answers;
}

} // namespace liga
