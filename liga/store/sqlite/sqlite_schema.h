// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace liga {

class SqliteConnection;

// Makes the league's tables in a new file and brings those of an older version up to date,
// every entry ranked as before, in one transaction on the writing connection. Throws
// std::runtime_error for a file that a newer version made.
void prepareSqliteSchema(SqliteConnection& writer, const std::string& path);

// Why the file at `path` holds no league (there is none, it is no SQLite file, or not one
// with a league's tables); empty when it does. Opens it read-only and changes nothing.
std::string whySqliteHoldsNoLeague(const std::string& path);

} // namespace liga
