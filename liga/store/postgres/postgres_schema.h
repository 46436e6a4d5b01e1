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

} // namespace liga
