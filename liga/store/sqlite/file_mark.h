// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league file's mark: a random number in the file's header (SQLite's application id),
// which the league's processes change before each checkpoint and remember in the table
// file_marks, in order, each with the league's own number that its file got once. The
// header that an earlier copy of the file carries, or another league's file, bears a mark
// that is not the league's latest, so that a file copied over a running server's tells
// itself apart from the server's own checkpoints. The table is read row by row, so that a
// mark is the league's only where one row holds both numbers: a file copied over the
// league's reads as a mix of its pages and the log's.
#pragma once
#include <cstdint>
#include <optional>

namespace liga {

class SqliteConnection;

// The mark in a file header's bytes 68 to 71.
int32_t markOfHeader(const unsigned char* header);

// Makes the table of marks and gives the league a mark when it has none, inside the
// writing transaction that `writer` has open.
void prepareFileMarks(SqliteConnection& writer);

// The league's own number; none in a file that has no marks.
std::optional<int64_t> leagueOfFile(SqliteConnection& c);

// A new mark of `league`, in a transaction of its own; false when the file stayed busy.
bool renewFileMark(SqliteConnection& writer, int64_t league);

// Where a mark of `league` stands among its marks, later ones higher; none for a mark
// that it never had (or had long ago).
std::optional<int64_t> fileMarkOrder(SqliteConnection& c, int32_t mark, int64_t league);

} // namespace liga
