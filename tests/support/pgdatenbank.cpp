// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pgdatenbank.h"

#include <atomic>
#include <cstdlib>
#include <libpq-fe.h>
#include <unistd.h>

namespace {

// Runs one statement on the server's database "postgres"; the error, or nothing.
std::string ausfuehren(const std::string& basis, const std::string& sql) {
    PGconn* c = PQconnectdb(basis.c_str());
    std::string fehler;
    if (PQstatus(c) != CONNECTION_OK) {
        fehler = PQerrorMessage(c);
    } else {
        PGresult* r = PQexec(c, sql.c_str());
        if (PQresultStatus(r) != PGRES_COMMAND_OK) fehler = PQresultErrorMessage(r);
        PQclear(r);
    }
    PQfinish(c);
    return fehler;
}

} // namespace

TPgDatenbank::TPgDatenbank() {
    const char* basis = std::getenv("ZUNDEL_PG");
    if (!basis || !*basis) {
        fehlt = "no PostgreSQL server here (ZUNDEL_PG is not set): run the tests through "
                "tools/with-postgres.sh to include it";
        return;
    }
    static std::atomic<int> zaehler = 0;
    name_ = "liga_test_" + std::to_string(getpid()) + "_" + std::to_string(zaehler++);
    if (const std::string f = ausfuehren(basis, "CREATE DATABASE " + name_); !f.empty()) {
        fehlt = "cannot create a database on ZUNDEL_PG: " + f;
        name_.clear();
        return;
    }
    // The last keyword wins in libpq's key-value strings.
    verbindung = std::string(basis) + " dbname=" + name_;
}

TPgDatenbank::~TPgDatenbank() {
    if (!name_.empty())
        ausfuehren(std::getenv("ZUNDEL_PG"), "DROP DATABASE " + name_ + " WITH (FORCE)");
}

bool TPgDatenbank::pflicht() {
    const char* p = std::getenv("ZUNDEL_PG_REQUIRED");
    return p && std::string(p) == "1";
}

bool TPgDatenbank::server(const char* was) {
    const char* ctl = std::getenv("ZUNDEL_PG_CTL");
    if (!ctl) return false;
    return std::system((std::string(ctl) + " " + was + " >/dev/null 2>&1").c_str()) == 0;
}
