// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// bench_ligaflut's rows about the league's store: many hands on one SQLite file, the file
// deleted, renamed or copied over under a server that submits flat out, and a ban racing
// submissions on PostgreSQL.
#pragma once
#include <functional>

// Runs each of these rows that `wanted` takes:
//   twoservers  two servers on one file, 3,000 submissions, most of them to one;
//   operator    `remove` of 200 codes and `entries --all` beside a running server;
//   flood-deleted, flood-renamed, flood-copied, flood-older
//               the file deleted, another league's renamed or copied over it, or a backup
//               of the league a second older, while two clients submit flat out; then a
//               server restarted on the path;
//   pgban       ten bans, each while four clients send the name's codes (PostgreSQL through
//               tools/with-postgres.sh, left out without it).
void storeFloods(const std::function<bool(const char*)>& wanted);
