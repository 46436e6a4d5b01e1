// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_mark.h"
#include "sqlite_connection.h"

#include <random>
#include <sqlite3.h>
#include <string>

namespace liga {

namespace {

// The file bears the league's latest mark or one a little older: its processes make one
// before each checkpoint, a thousand pages of log apart or twice a second, and each looks
// twice a second.
constexpr int64_t keptMarks = 1000;

const char* const table =
    "CREATE TABLE IF NOT EXISTS file_marks ("
    "seq INTEGER PRIMARY KEY, mark INTEGER NOT NULL UNIQUE, league INTEGER NOT NULL)";
const char* const insertMark =
    "INSERT INTO file_marks (mark, league) VALUES (?1, ?2) ON CONFLICT DO NOTHING";
const char* const dropOldMarks =
    "DELETE FROM file_marks WHERE seq <= (SELECT max(seq) FROM file_marks) - ?1";
// Row by row, not through the index of marks, whose pages might be another file's.
const char* const findMark = "SELECT seq FROM file_marks WHERE +mark = ?1 AND league = ?2";
const char* const findLeague = "SELECT league FROM file_marks ORDER BY seq DESC LIMIT 1";

int32_t currentMark(SqliteConnection& c) {
    SqliteStatement s(c, "PRAGMA application_id");
    return s.step() ? static_cast<int32_t>(s.integer(0)) : 0;
}

std::mt19937_64& randomNumbers() {
    static thread_local std::mt19937_64 r(std::random_device{}());
    return r;
}

// Inside an open writing transaction.
void setNewMark(SqliteConnection& w, int64_t league) {
    int32_t mark = 0;
    while (mark == 0) {
        mark = static_cast<int32_t>(randomNumbers()());
        if (mark == 0) continue;
        SqliteStatement insert(w, insertMark);
        insert.bind(1, mark).bind(2, league).step();
        if (sqlite3_changes(w.db) != 1) mark = 0; // the league had it once already
    }
    w.exec(("PRAGMA application_id = " + std::to_string(mark)).c_str());
    SqliteStatement(w, dropOldMarks).bind(1, keptMarks).step();
}

} // namespace

int32_t markOfHeader(const unsigned char* header) {
    return static_cast<int32_t>(static_cast<uint32_t>(header[68]) << 24 |
                                static_cast<uint32_t>(header[69]) << 16 |
                                static_cast<uint32_t>(header[70]) << 8 | header[71]);
}

void prepareFileMarks(SqliteConnection& w) {
    w.exec(table);
    std::optional<int64_t> league = leagueOfFile(w);
    if (!league) league = static_cast<int64_t>(randomNumbers()() >> 1) | 1;
    const int32_t mark = currentMark(w);
    if (mark == 0 || !fileMarkOrder(w, mark, *league)) setNewMark(w, *league);
}

std::optional<int64_t> leagueOfFile(SqliteConnection& c) {
    SqliteStatement s(c, findLeague);
    if (!s.step()) return std::nullopt;
    return s.integer(0);
}

bool renewFileMark(SqliteConnection& w, int64_t league) {
    if (sqlite3_exec(w.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    try {
        setNewMark(w, league);
        w.exec("COMMIT");
        return true;
    } catch (const std::exception&) {
        sqlite3_exec(w.db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
}

std::optional<int64_t> fileMarkOrder(SqliteConnection& c, int32_t mark, int64_t league) {
    SqliteStatement s(c, findMark);
    if (!s.bind(1, mark).bind(2, league).step()) return std::nullopt;
    return s.integer(0);
}

} // namespace liga
