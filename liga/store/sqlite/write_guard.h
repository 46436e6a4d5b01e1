// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The library's own file access, with a guard on what it writes into the league's file:
// in write-ahead logging only a checkpoint writes there, page by page, and another program
// may have copied a file over it since the checkpoint began. Before each write the guard
// asks the store's DatabaseWatch, which compares the file's first bytes with what it
// knows; a write it refuses fails, and so does the checkpoint, having written nothing more.
#pragma once

struct sqlite3;

namespace liga {

class DatabaseWatch;

// The name of the file access that the store's connections open their file with.
const char* guardedFileAccess();

// From now on the file that `db` opened through it writes only what `watch` lets through.
void guardWrites(sqlite3* db, DatabaseWatch& watch);

} // namespace liga
