// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

// A fresh, empty database of its own on the PostgreSQL server that tools/with-postgres.sh
// started (ZUNDEL_PG), dropped again by the destructor.
class PgDatabase final {
public:
    PgDatabase();
    ~PgDatabase();
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;

    // Why there is none; empty when there is one.
    std::string missing;
    // libpq's connection string for it, and its name.
    std::string conninfo;
    const std::string& name() const { return name_; }

    // In CI (ZUNDEL_PG_REQUIRED=1) a missing server fails a test rather than skipping it.
    static bool required();
    // Stops or starts the server again (ZUNDEL_PG_CTL); true when that worked.
    static bool server(const char* what);
    // Runs one statement on the server's database "postgres" as its superuser; the error,
    // or nothing.
    static std::string run(const std::string& sql);

private:
    std::string name_;
};
