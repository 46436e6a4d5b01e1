// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Load on the league server over loopback: 10,000 valid submissions from 8 connections,
// then 10,000 reads of the league page from 8 connections, for each of
//   SQLite, one server process;
//   PostgreSQL, one server process;
//   PostgreSQL, two server processes on one database, the connections shared out between
//   them as a load balancer would;
// each on an empty league and on one with 1,000,000 names on level 1, filled directly in
// the store before the servers start. The servers run on 127.0.0.1 on free ports, with
// fresh databases (a file in a temporary folder, a database of its own on the server that
// tools/with-postgres.sh started; without one, the PostgreSQL rows are left out).
//
//     tools/with-postgres.sh build/release/bench/bench_liga [submissions] [page reads]
//         [connections] [--fresh] [--names N] [--only sqlite|postgres] [--limit N]
//
// The connections are kept alive (HTTP/1.1); with --fresh every request opens its own
// connection and speaks HTTP/1.0, as the game does. --names N fills N names rather than
// both 0 and 1,000,000. --limit N gives the servers that limit per client (default 0: none),
// so that every submission also takes its client's token in the database; a large N
// refuses none and shows what counting costs.
//
// Every request waits at most 5 s, each measurement at most 5 minutes; it touches no
// address but 127.0.0.1 and the database's Unix socket.
#include "league_process.h"
#include "ligacode.h"
#include "loopback.h"
#include "pg_database.h"
#include "postgres_store.h"
#include "ranking.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <libpq-fe.h>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point deadline;

// The level that the big league fills.
constexpr int32_t bigLevel = 1;

// One keep-alive request; the answer's status, or 0 when the connection failed.
int exchange(int fd, const std::string& request, std::string& buffer) {
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size()))
        return 0;
    buffer.clear();
    char chunk[65536];
    std::size_t headerEnd = std::string::npos;
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return 0;
        buffer.append(chunk, static_cast<std::size_t>(n));
        if (headerEnd == std::string::npos) {
            headerEnd = buffer.find("\r\n\r\n");
            if (headerEnd == std::string::npos) continue;
            const std::size_t at = buffer.find("Content-Length: ");
            if (at == std::string::npos || at > headerEnd) return 0;
            total = headerEnd + 4 + std::stoul(buffer.substr(at + 16));
        }
        if (buffer.size() >= total) break;
    }
    return std::atoi(buffer.c_str() + 9);
}

struct Result {
    double seconds = 0;
    std::vector<double> latenciesMs;
    std::vector<double> bigLevelMs; // of the requests marked as going to the big level
    int failures = 0;
    int refused = 0; // answers whose first line is not a placement
};

// Connection c talks to ports[c % ports.size()] throughout.
Result run(const std::vector<int>& ports, const std::vector<std::string>& requests,
           const std::vector<bool>& onBigLevel, int connections, bool submissions, bool fresh) {
    Result r;
    deadline = Clock::now() + std::chrono::minutes(5);
    std::vector<std::vector<double>> latencies(connections), big(connections);
    std::atomic<int> failures = 0, refused = 0;
    std::atomic<std::size_t> next = 0;
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < connections; ++c) {
        threads.emplace_back([&, c] {
            const int port = ports[static_cast<std::size_t>(c) % ports.size()];
            // Each connection a client of its own, as players are.
            const uint32_t source = 0x7F000100 + static_cast<uint32_t>(c);
            int fd = loopbackVerbinden(port, 5, source);
            std::string buffer;
            for (std::size_t i = next++; i < requests.size() && Clock::now() < deadline;
                 i = next++) {
                const auto t0 = Clock::now();
                if (fd < 0) fd = loopbackVerbinden(port, 5, source);
                const int status = fd < 0 ? 0 : exchange(fd, requests[i], buffer);
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                latencies[c].push_back(ms);
                if (i < onBigLevel.size() && onBigLevel[i]) big[c].push_back(ms);
                if (status != 200) {
                    ++failures;
                    if (fd >= 0) close(fd);
                    fd = -1;
                } else if (submissions && buffer.find("\r\n\r\nPlatz ") == std::string::npos) {
                    ++refused;
                }
                if (fresh && fd >= 0) {
                    close(fd);
                    fd = -1;
                }
            }
            if (fd >= 0) close(fd);
        });
    }
    for (auto& t : threads) t.join();
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (auto& l : latencies) r.latenciesMs.insert(r.latenciesMs.end(), l.begin(), l.end());
    for (auto& l : big) r.bigLevelMs.insert(r.bigLevelMs.end(), l.begin(), l.end());
    std::sort(r.latenciesMs.begin(), r.latenciesMs.end());
    std::sort(r.bigLevelMs.begin(), r.bigLevelMs.end());
    r.failures = failures;
    r.refused = refused;
    return r;
}

double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    const std::size_t i = std::min(sorted.size() - 1, static_cast<std::size_t>(p * sorted.size()));
    return sorted[i];
}

double rate(const Result& r) {
    return r.seconds > 0 ? r.latenciesMs.size() / r.seconds : 0;
}

// Every name of the big league: one entry and its best on the big level, the times spread
// over 5,0 to 304,9 seconds, and the counts per time and bucket that placing reads. The
// same statements for both stores but for how the names' numbers are made and written.
std::vector<std::string> fillSteps(bool postgres, int64_t names) {
    const std::string last = std::to_string(names - 1), level = std::to_string(bigLevel),
                      bucket = std::to_string(liga::timesPerBucket);
    const std::string rows =
        postgres ? "SELECT upper(lpad(to_hex(i), 64, '0')), 'Viele_' || lpad(i::text, 7, '0'), " +
                       level +
                       ", 50 + i * 7919 % 3000, 1700000000 "
                       "FROM generate_series(0::bigint, " +
                       last + ") AS i"
                 : "WITH RECURSIVE k(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM k WHERE i < " +
                       last + ") SELECT printf('%064X', i), printf('Viele_%07d', i), " + level +
                       ", 50 + i * 7919 % 3000, 1700000000 FROM k";
    return {
        "BEGIN",
        "INSERT INTO entries (code, name, level, tenths, received_at) " + rows,
        "INSERT INTO best (level, name, tenths, received_at) "
        "SELECT level, name, tenths, received_at FROM entries WHERE level = " +
            level,
        "INSERT INTO time_counts (level, tenths, names) "
        "SELECT level, tenths, count(*) FROM best WHERE level = " +
            level + " GROUP BY 1, 2",
        "INSERT INTO time_buckets (level, bucket, names) SELECT level, tenths / " + bucket +
            ", count(*) FROM best WHERE level = " + level + " GROUP BY 1, 2",
        "UPDATE changes SET n = n + 1",
        "COMMIT",
        postgres ? "VACUUM ANALYZE" : "ANALYZE",
    };
}

void fillSqlite(const std::string& path, int64_t names) {
    { liga::SqliteStore schema(path); }
    sqlite3* db = nullptr;
    std::string why;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) why = "cannot open " + path;
    for (const std::string& sql : fillSteps(false, names))
        if (why.empty() && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            why = sqlite3_errmsg(db);
    sqlite3_close(db);
    if (!why.empty()) throw std::runtime_error("filling the SQLite league: " + why);
}

void fillPostgres(const std::string& conninfo, int64_t names) {
    { liga::PostgresStore schema(conninfo, 1); }
    PGconn* c = PQconnectdb(conninfo.c_str());
    std::string why;
    for (const std::string& sql : fillSteps(true, names)) {
        PGresult* r = PQexec(c, sql.c_str());
        if (why.empty() && PQresultStatus(r) != PGRES_COMMAND_OK) why = PQerrorMessage(c);
        PQclear(r);
    }
    PQfinish(c);
    if (!why.empty()) throw std::runtime_error("filling the PostgreSQL league: " + why);
}

struct Setup {
    bool postgres = false;
    int processes = 1;
    int64_t names = 0;
};

struct Measured {
    Result submissions;
    Result pages;
    double fillSeconds = 0;
};

std::string limit = "0";

std::optional<Measured> measure(const Setup& setup, const std::vector<std::string>& submit,
                                const std::vector<bool>& onBigLevel,
                                const std::vector<std::string>& page, int connections, bool fresh) {
    const TTestVerzeichnis temporary; // removed however the measurement ends
    const std::string folder = temporary.pfad().string();
    std::optional<PgDatabase> pg;
    std::string db = folder + "/liga.db";
    if (setup.postgres) {
        pg.emplace();
        if (!pg->missing.empty()) {
            std::fprintf(stderr, "bench_liga: %s\n", pg->missing.c_str());
            return std::nullopt;
        }
        db = pg->conninfo;
    }
    Measured m;
    if (setup.names > 0) {
        const auto t0 = Clock::now();
        setup.postgres ? fillPostgres(db, setup.names) : fillSqlite(db, setup.names);
        m.fillSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
        std::printf("(%s: %lld names filled in on level %d in %.1f s)\n",
                    setup.postgres ? "PostgreSQL" : "SQLite", static_cast<long long>(setup.names),
                    bigLevel, m.fillSeconds);
    }
    // Every request here comes from 127.0.0.1: no per-address limit unless asked for. No
    // time is held for review, so that every submission does the whole work of placing.
    const std::vector<std::string> options = {"--limit",        limit, "--review-below", "1:0",
                                              "--review-below", "2:0", "--review-below", "3:0",
                                              "--review-below", "4:0", "--review-below", "5:0"};
    std::vector<std::unique_ptr<LeagueProcess>> servers;
    std::vector<int> ports;
    for (int i = 0; i < setup.processes; ++i) {
        servers.push_back(std::make_unique<LeagueProcess>(db, options));
        if (servers.back()->port == 0) {
            std::fprintf(stderr, "bench_liga: the league server did not start\n");
            return std::nullopt;
        }
        ports.push_back(servers.back()->port);
    }
    m.submissions = run(ports, submit, onBigLevel, connections, true, fresh);
    m.pages = run(ports, page, {}, connections, false, fresh);
    servers.clear();
    pg.reset();
    return m;
}

void report(const Setup& setup, const Measured& m) {
    const Result& s = m.submissions;
    const Result& p = m.pages;
    std::printf("%-10s %2d %9lld | %6.0f/s %6.2f %6.2f %6.2f | %6.0f/s %6.2f %6.2f | %d/%d/%d\n",
                setup.postgres ? "PostgreSQL" : "SQLite", setup.processes,
                static_cast<long long>(setup.names), rate(s), percentile(s.latenciesMs, 0.50),
                percentile(s.latenciesMs, 0.99), percentile(s.bigLevelMs, 0.99), rate(p),
                percentile(p.latenciesMs, 0.50), percentile(p.latenciesMs, 0.99),
                s.failures + p.failures, s.refused, static_cast<int>(s.bigLevelMs.size()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> numbers;
    bool fresh = false;
    std::vector<int64_t> sizes = {0, 1000000};
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--fresh") {
            fresh = true;
        } else if (a == "--names" && i + 1 < argc) {
            sizes = {std::atoll(argv[++i])};
        } else if (a == "--limit" && i + 1 < argc) {
            limit = argv[++i];
        } else if (a == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else {
            numbers.push_back(std::atoi(a.c_str()));
        }
    }
    const int submissions = numbers.size() > 0 ? numbers[0] : 10000;
    const int pageReads = numbers.size() > 1 ? numbers[1] : 10000;
    const int connections = numbers.size() > 2 ? numbers[2] : 8;
    const std::string version = fresh ? "HTTP/1.0" : "HTTP/1.1";
    if (submissions < 0 || pageReads < 0 || connections < 1 || connections > 64 ||
        (!only.empty() && only != "sqlite" && only != "postgres"))
        return 2;

    // 2,000 names, five times each, spread over the levels; genuine codes as the game
    // builds them, made before the clock starts.
    uint32_t state = 12345;
    const auto random = [&state](int32_t n) {
        state = state * 134775813u + 1u;
        return static_cast<int32_t>((static_cast<uint64_t>(state) * static_cast<uint32_t>(n)) >>
                                    32);
    };
    std::vector<std::string> submit;
    std::vector<bool> onBigLevel;
    for (int i = 0; i < submissions; ++i) {
        const std::string name = "Spieler" + std::to_string(i % 2000);
        const int32_t level = i % 5 + 1;
        const int32_t tenths = 50 + random(3000);
        submit.push_back("GET /rekord.php?code=" + getcode(name, tenths, level, random) + " " +
                         version +
                         "\r\nHost: 127.0.0.1\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n\r\n");
        onBigLevel.push_back(level == bigLevel);
    }
    const std::vector<std::string> page(static_cast<std::size_t>(pageReads),
                                        "GET / " + version + "\r\nHost: 127.0.0.1\r\n\r\n");

    std::printf("league servers on 127.0.0.1, %d connections, %s; times in ms\n", connections,
                fresh ? "a new connection per request (HTTP/1.0)" : "keep-alive (HTTP/1.1)");
    std::printf("store   procs     names |   submissions      p50    p99 p99 L%d |   page reads"
                "    p50    p99 | failed/refused/on L%d\n",
                bigLevel, bigLevel);
    int failures = 0;
    for (const int64_t names : sizes)
        for (const Setup setup :
             {Setup{false, 1, names}, Setup{true, 1, names}, Setup{true, 2, names}}) {
            if ((only == "sqlite" && setup.postgres) || (only == "postgres" && !setup.postgres))
                continue;
            try {
                const std::optional<Measured> m =
                    measure(setup, submit, onBigLevel, page, connections, fresh);
                if (!m) {
                    ++failures;
                    continue;
                }
                report(setup, *m);
                failures += m->submissions.failures + m->pages.failures;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "bench_liga: %s\n", e.what());
                ++failures;
            }
        }
    return failures == 0 ? 0 : 1;
}
