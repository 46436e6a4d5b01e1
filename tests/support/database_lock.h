// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <libpq-fe.h>
#include <sqlite3.h>
#include <string>

// Holds a league's database (a SQLite file, or a PostgreSQL connection string) locked
// against every writer, as another program might, until destroyed.
class DatabaseLock final {
public:
    explicit DatabaseLock(const std::string& db) {
        if (db.find('=') != std::string::npos || db.rfind("postgres", 0) == 0) {
            pg_ = PQconnectdb(db.c_str());
            PQclear(PQexec(pg_, "BEGIN; LOCK TABLE entries IN EXCLUSIVE MODE"));
        } else {
            sqlite3_open(db.c_str(), &file_);
            sqlite3_exec(file_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        }
    }
    ~DatabaseLock() {
        if (pg_) {
            PQclear(PQexec(pg_, "ROLLBACK"));
            PQfinish(pg_);
        }
        if (file_) {
            sqlite3_exec(file_, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(file_);
        }
    }
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

private:
    PGconn* pg_ = nullptr;
    sqlite3* file_ = nullptr;
};
