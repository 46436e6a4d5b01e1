// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pg_connection.h"
#include "view_reads.h"

#include <string>
#include <vector>

namespace liga {

class PgPool;

std::vector<std::string> pgTexts(const std::vector<SqlValue>& values);
SqlRows sqlRowsOf(const PgRows& r);

// Runs the pages' statements on a connection of the pool, all of a call in one round trip.
// Each statement sees what was committed when it began.
class PostgresViewsReader final : public SqlReader {
public:
    explicit PostgresViewsReader(PgPool& pool) : pool_(pool) {}
    std::vector<SqlRows> read(const std::vector<SqlCall>& calls, Deadline until) override;

private:
    PgPool& pool_;
};

} // namespace liga
