// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "deadline.h"

#include <string>

namespace liga {

// Makes the league's tables in a new database and brings those of an older version up to
// date, every entry ranked as before. Throws StoreUnavailable when the database cannot be
// reached before the deadline, std::runtime_error when it refuses or a newer version made
// the tables.
void preparePostgresSchema(const std::string& conninfo, Deadline until);

// Why the database holds no league (its tables are not there); empty when it does.
// Changes nothing. Throws as preparePostgresSchema does when it cannot ask.
std::string whyPostgresHoldsNoLeague(const std::string& conninfo, Deadline until);

} // namespace liga
