// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_views.h"
#include "postgres_pool.h"
#include "postgres_views_statements.h"

namespace liga {

std::vector<std::string> pgTexts(const std::vector<SqlValue>& values) {
    std::vector<std::string> texts;
    for (const SqlValue& v : values)
        texts.push_back(std::holds_alternative<int64_t>(v) ? std::to_string(std::get<int64_t>(v))
                                                           : std::get<std::string>(v));
    return texts;
}

SqlRows sqlRowsOf(const PgRows& r) {
    SqlRows rows;
    const int columns = r.columns();
    for (int i = 0; i < r.count(); ++i) {
        SqlRows::Row row(static_cast<std::size_t>(columns));
        for (int k = 0; k < columns; ++k)
            if (!r.null(i, k)) row[static_cast<std::size_t>(k)] = r.text(i, k);
        rows.add(std::move(row));
    }
    return rows;
}

std::vector<SqlRows> PostgresViewsReader::read(const std::vector<SqlCall>& calls, Deadline until) {
    std::vector<PgCall> pg;
    for (const SqlCall& call : calls)
        pg.push_back({postgresNameOf(*call.sql), pgTexts(call.values)});
    return pool_.withConnection(false, until, [&](PgConnection& c) {
        std::vector<SqlRows> answers;
        for (const PgRows& r : c.runAll(pg, until)) answers.push_back(sqlRowsOf(r));
        return answers;
    });
}

} // namespace liga
