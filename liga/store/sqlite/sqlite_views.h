// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"
#include "view_reads.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace liga {

class DatabaseWatch;
class SqliteConnection;

// The rows of one statement of views_sql.h on a connection that the caller holds.
SqlRows sqliteRows(SqliteConnection& c, const SqlCall& call);

// Runs the pages' statements on reading connections of their own, each call's statements
// in one read transaction, so that they see one state of the file. In write-ahead logging
// readers wait for no writer and for each other only when they share a connection.
class SqliteViewsReader final : public SqlReader {
public:
    SqliteViewsReader(const std::string& path, Durability durability, const DatabaseWatch* watch,
                      unsigned connections);
    // A store in memory reads through its one connection.
    explicit SqliteViewsReader(SqliteConnection& only);
    ~SqliteViewsReader() override;

    std::vector<SqlRows> read(const std::vector<SqlCall>& calls, Deadline until) override;

private:
    std::vector<std::unique_ptr<SqliteConnection>> own_;
    std::vector<SqliteConnection*> connections_;
    std::atomic<unsigned> next_ = 0;
};

} // namespace liga
