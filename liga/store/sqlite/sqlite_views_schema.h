// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace liga {

class SqliteConnection;

// Makes the tables of the rankings beside `best` (period boards, combined ranking, their
// counts), the records, the names for search and the time of the last change, inside the
// schema's transaction; a file of a version before 5 gets them filled from its entries.
void prepareSqliteViews(SqliteConnection& writer, int version);

} // namespace liga
