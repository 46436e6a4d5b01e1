// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace liga {

// A statement the database refused, with its SQLSTATE ("40001", ...).
class PgError : public std::runtime_error {
public:
    PgError(std::string state, const std::string& message)
        : std::runtime_error(message), state(std::move(state)) {}
    // The transaction lost to another and may simply be run again.
    bool retryable() const { return state == "40001" || state == "40P01"; }
    const std::string state;
};

// Runs of a transaction that lost to another, at most.
constexpr int pgAttempts = 5;

// The rows of one statement's answer, in text form.
class PgRows {
public:
    explicit PgRows(pg_result* result); // takes it over
    int count() const;
    int columns() const;
    std::string text(int row, int column) const;
    int64_t integer(int row, int column) const;
    bool null(int row, int column) const;
    int64_t affected() const; // rows an INSERT, UPDATE or DELETE changed
    pg_result* result() const { return result_.get(); }

private:
    std::shared_ptr<pg_result> result_;
};

// A prepared statement with its values in text form.
struct PgCall {
    std::string name;
    std::vector<std::string> values;
};

// One connection to PostgreSQL (or a database that speaks its protocol) through libpq.
// Nothing waits past the deadline it is given: the library's calls that could are used
// in their non-blocking form, and the socket is polled until then. A connection that lost
// its server, or whose answer did not come in time, is broken() and good for nothing more.
class PgConnection final {
public:
    // Throws StoreUnavailable when the server cannot be reached in time.
    PgConnection(const std::string& conninfo, Deadline until);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // A statement without values, such as BEGIN, or several of them at once.
    void exec(const std::string& sql, Deadline until);
    void prepare(const std::string& name, const std::string& sql, Deadline until);
    // A prepared statement with its values bound in text form.
    PgRows run(const std::string& name, const std::vector<std::string>& values, Deadline until);
    // Several at once, sent together and answered together (one round trip); the first
    // that fails throws, and those after it were not run.
    std::vector<PgRows> runAll(const std::vector<PgCall>& calls, Deadline until);

    bool broken() const { return broken_; }

private:
    pg_result* await(Deadline until);
    void wait(bool writing, Deadline until);
    PgRows check(pg_result* result);
    // Throws what a result that is not a success means.
    void verify(pg_result* result);
    [[noreturn]] void lost(const std::string& why);

    pg_conn* conn_ = nullptr;
    bool broken_ = false;
};

} // namespace liga
