// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "deadline.h"

namespace liga {

class PgConnection;

// The tables of the rankings beside `best` (period boards, combined ranking, their
// counts), the records and the names for search, made when missing at every start.
extern const char* const postgresViewsTables;

// Inside the schema's transaction of a database older than the tables above: the time of
// the last change, and the tables filled from the entries.
void fillPostgresViews(PgConnection& c, Deadline until);

} // namespace liga
