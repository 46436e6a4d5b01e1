// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pg_connection.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <libpq-fe.h>
#include <poll.h>

namespace liga {

namespace {

// What a server that is going away or cannot be reached answers: the connection is done.
bool connectionGone(const std::string& state) {
    return state.rfind("08", 0) == 0 || state.rfind("57P0", 0) == 0;
}

int msLeft(Deadline until) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - Deadline::clock::now());
    return static_cast<int>(std::clamp<int64_t>(left.count(), 0, 3600000));
}

} // namespace

PgRows::PgRows(pg_result* result) : result_(result, PQclear) {}

int PgRows::count() const {
    return PQntuples(result_.get());
}

int PgRows::columns() const {
    return PQnfields(result_.get());
}

std::string PgRows::text(int row, int column) const {
    return std::string(PQgetvalue(result_.get(), row, column),
                       static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

int64_t PgRows::integer(int row, int column) const {
    const char* v = PQgetvalue(result_.get(), row, column);
    const char* end = v + PQgetlength(result_.get(), row, column);
    int64_t n = 0;
    const auto [at, ec] = std::from_chars(v, end, n);
    if (ec != std::errc() || at != end)
        throw std::runtime_error("not an integer: " + text(row, column));
    return n;
}

bool PgRows::null(int row, int column) const {
    return PQgetisnull(result_.get(), row, column) != 0;
}

int64_t PgRows::affected() const {
    const char* n = PQcmdTuples(result_.get());
    return n && *n ? std::strtoll(n, nullptr, 10) : 0;
}

PgConnection::PgConnection(const std::string& conninfo, Deadline until) {
    // The operator's settings come last and win; the connect timeout bounds each address
    // the library tries, the deadline the whole.
    const char* keys[] = {"connect_timeout", "fallback_application_name", "dbname", nullptr};
    const char* values[] = {"2", "zundel-liga", conninfo.c_str(), nullptr};
    conn_ = PQconnectStartParams(keys, values, 1);
    if (!conn_) throw StoreUnavailable("no memory for a database connection");
    if (PQstatus(conn_) == CONNECTION_BAD) lost("cannot connect to the database");
    // The server's notices ("relation ... already exists, skipping") are for no one here.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    for (PostgresPollingStatusType s = PGRES_POLLING_WRITING; s != PGRES_POLLING_OK;) {
        if (s == PGRES_POLLING_FAILED) lost("cannot connect to the database");
        wait(s == PGRES_POLLING_WRITING, until);
        s = PQconnectPoll(conn_);
    }
    if (PQsetnonblocking(conn_, 1) != 0) lost("cannot use the database connection");
}

PgConnection::~PgConnection() {
    PQfinish(conn_);
}

void PgConnection::lost(const std::string& why) {
    broken_ = true;
    const char* detail = conn_ ? PQerrorMessage(conn_) : "";
    std::string message = why;
    if (detail && *detail) message += ": " + std::string(detail);
    while (!message.empty() && message.back() == '\n') message.pop_back();
    throw StoreUnavailable(message);
}

void PgConnection::wait(bool writing, Deadline until) {
    const int fd = PQsocket(conn_);
    if (fd < 0) lost("the database connection is closed");
    pollfd p{fd, static_cast<short>(writing ? POLLOUT : POLLIN), 0};
    for (;;) {
        const int left = msLeft(until);
        if (left == 0) lost("the database did not answer in time");
        const int n = poll(&p, 1, left);
        if (n > 0) return;
        if (n < 0 && errno != EINTR) lost("cannot wait for the database");
    }
}

pg_result* PgConnection::await(Deadline until) {
    for (int f; (f = PQflush(conn_)) != 0;) {
        if (f < 0) lost("cannot send to the database");
        wait(true, until);
    }
    // One result per statement, then none; the first failure is the one that counts.
    pg_result* kept = nullptr;
    for (;;) {
        while (PQisBusy(conn_)) {
            wait(false, until);
            if (!PQconsumeInput(conn_)) {
                PQclear(kept);
                lost("lost the database connection");
            }
        }
        pg_result* r = PQgetResult(conn_);
        if (!r) break;
        const ExecStatusType s = PQresultStatus(r);
        const bool failed = s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK;
        if (!kept || (failed && PQresultStatus(kept) != PGRES_FATAL_ERROR)) {
            PQclear(kept);
            kept = r;
        } else {
            PQclear(r);
        }
    }
    if (!kept) lost("no answer from the database");
    return kept;
}

PgRows PgConnection::check(pg_result* result) {
    PgRows rows(result);
    verify(result);
    return rows;
}

void PgConnection::verify(pg_result* result) {
    const ExecStatusType s = PQresultStatus(result);
    if (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK) return;
    const char* field = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const std::string state = field ? field : "";
    std::string message = PQresultErrorMessage(result);
    while (!message.empty() && message.back() == '\n') message.pop_back();
    if (PQstatus(conn_) == CONNECTION_BAD || connectionGone(state)) lost(message);
    // Past statement_timeout or lock_timeout: the database is too busy for now.
    if (state == "57014" || state == "55P03") throw StoreUnavailable(message);
    throw PgError(state, message);
}

void PgConnection::exec(const std::string& sql, Deadline until) {
    if (broken_) lost("the database connection is closed");
    if (!PQsendQuery(conn_, sql.c_str())) lost("cannot send to the database");
    check(await(until));
}

void PgConnection::prepare(const std::string& name, const std::string& sql, Deadline until) {
    if (broken_) lost("the database connection is closed");
    if (!PQsendPrepare(conn_, name.c_str(), sql.c_str(), 0, nullptr))
        lost("cannot send to the database");
    check(await(until));
}

PgRows PgConnection::run(const std::string& name, const std::vector<std::string>& values,
                         Deadline until) {
    if (broken_) lost("the database connection is closed");
    std::vector<const char*> v;
    for (const std::string& s : values) v.push_back(s.c_str());
    if (!PQsendQueryPrepared(conn_, name.c_str(), static_cast<int>(v.size()), v.data(), nullptr,
                             nullptr, 0))
        lost("cannot send to the database");
    return check(await(until));
}

std::vector<PgRows> PgConnection::runAll(const std::vector<PgCall>& calls, Deadline until) {
    if (calls.size() == 1) return {run(calls.front().name, calls.front().values, until)};
    if (broken_) lost("the database connection is closed");
    if (PQenterPipelineMode(conn_) != 1) lost("cannot send to the database");
    for (const PgCall& call : calls) {
        std::vector<const char*> v;
        for (const std::string& s : call.values) v.push_back(s.c_str());
        if (!PQsendQueryPrepared(conn_, call.name.c_str(), static_cast<int>(v.size()), v.data(),
                                 nullptr, nullptr, 0))
            lost("cannot send to the database");
    }
    if (PQpipelineSync(conn_) != 1) lost("cannot send to the database");
    // Each statement's results end with none, as await reads them; then the sync's.
    std::vector<PgRows> answers;
    for (std::size_t i = 0; i < calls.size(); ++i) answers.emplace_back(await(until));
    for (bool synced = false; !synced;) {
        while (PQisBusy(conn_)) {
            wait(false, until);
            if (!PQconsumeInput(conn_)) lost("lost the database connection");
        }
        const PgRows r(PQgetResult(conn_));
        if (!r.result()) lost("no answer from the database");
        synced = PQresultStatus(r.result()) == PGRES_PIPELINE_SYNC;
    }
    if (PQexitPipelineMode(conn_) != 1) lost("cannot use the database connection");
    for (const PgRows& r : answers) verify(r.result());
    return answers;
}

} // namespace liga
