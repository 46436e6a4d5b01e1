// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pg_database.h"

#include <atomic>
#include <cstdlib>
#include <libpq-fe.h>
#include <unistd.h>

PgDatabase::PgDatabase() {
    const char* base = std::getenv("ZUNDEL_PG");
    if (!base || !*base) {
        missing = "no PostgreSQL server here (ZUNDEL_PG is not set): run the tests through "
                  "tools/with-postgres.sh to include it";
        return;
    }
    static std::atomic<int> counter = 0;
    name_ = "liga_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    if (const std::string f = run("CREATE DATABASE " + name_); !f.empty()) {
        missing = "cannot create a database on ZUNDEL_PG: " + f;
        name_.clear();
        return;
    }
    // The last keyword wins in libpq's key-value strings.
    conninfo = std::string(base) + " dbname=" + name_;
}

PgDatabase::~PgDatabase() {
    if (!name_.empty()) run("DROP DATABASE " + name_ + " WITH (FORCE)");
}

std::string PgDatabase::run(const std::string& sql) {
    const char* base = std::getenv("ZUNDEL_PG");
    if (!base) return "ZUNDEL_PG is not set";
    PGconn* c = PQconnectdb(base);
    std::string errors;
    if (PQstatus(c) != CONNECTION_OK) {
        errors = PQerrorMessage(c);
    } else {
        PGresult* r = PQexec(c, sql.c_str());
        if (PQresultStatus(r) != PGRES_COMMAND_OK) errors = PQresultErrorMessage(r);
        PQclear(r);
    }
    PQfinish(c);
    return errors;
}

bool PgDatabase::required() {
    const char* p = std::getenv("ZUNDEL_PG_REQUIRED");
    return p && std::string(p) == "1";
}

bool PgDatabase::server(const char* what) {
    const char* ctl = std::getenv("ZUNDEL_PG_CTL");
    if (!ctl) return false;
    return std::system((std::string(ctl) + " " + what + " >/dev/null 2>&1").c_str()) == 0;
}
