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
//         [--views N] [--pages N] [--kind TEXT]
//
// The connections are kept alive (HTTP/1.1); with --fresh every request opens its own
// connection and speaks HTTP/1.0, as the game does. --names N fills N names rather than
// both 0 and 1,000,000. --limit N gives the servers that limit per client (default 0: none),
// so that every submission also takes its client's token in the database; a large N
// refuses none and shows what counting costs. --views N then reads each kind of page's
// data N times straight from the stores, from as many threads as connections, the
// processes' share as stores of their own on the one database (an HTTP page of that kind
// costs these reads when its version's copy is not cached). --pages N reads each kind of
// page N times over HTTP from the servers, after the submissions, spread over the pages of
// that kind as visitors spread (a page asked for again comes from the server's copy).
// --kind TEXT reads only the kinds whose label holds TEXT (for example "player"). A page
// row gives reads/s, p50 and p99 in ms and the machine's busy ms per read.
//
// Each row ends with the busy processor time of the whole machine per submission while the
// submissions ran (from /proc/stat): steadier than their rate for an A/B of two builds
// (ZUNDEL_LIGA=<other zundel-liga>) on a machine that bench, servers and database share.
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
#include "views.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
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

// The big league: of `names` names, a thirtieth each with an entry on levels 1, 2 and 3 in
// the current week (a tenth of the entries), the others one entry of 2023 on the big level;
// the times spread over 5,0 to 304,9 seconds (plus a level's 100 s). Entries and `best` are
// written here; the store's own upgrade, to which the league's version is set back, makes
// the counts, the period boards, sums, records and names, as it would for an older league.
// The same statements for both stores but for how the names' numbers are made and written.
std::vector<std::string> fillSteps(bool postgres, int64_t names) {
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    const int64_t weekFrom = liga::currentPeriod(liga::Period::week, now).from;
    const std::string span = std::to_string(std::max<int64_t>(1, now - weekFrom));
    const int64_t weekNames = names / 30;
    const std::string old = std::to_string(names - weekNames - 1),
                      week = std::to_string(3 * weekNames - 1), from = std::to_string(weekFrom),
                      level = std::to_string(bigLevel), first = std::to_string(weekNames);
    const auto series = [&](const std::string& last, const std::string& code,
                            const std::string& name, const std::string& lvl,
                            const std::string& tenths, const std::string& at) {
        const std::string select =
            " SELECT " + code + ", " + name + ", " + lvl + ", " + tenths + ", " + at;
        return postgres ? select + " FROM generate_series(0::bigint, " + last + ") AS i"
                        : "WITH RECURSIVE k(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM k WHERE "
                          "i < " +
                              last + ")" + select + " FROM k";
    };
    const std::string hex =
        postgres ? "upper(lpad(to_hex(i + OFFSET), 64, '0'))" : "printf('%064X', i + OFFSET)";
    const auto code = [&](const char* offset) {
        std::string c = hex;
        return c.replace(c.find("OFFSET"), 6, offset);
    };
    const auto name = [&](const std::string& number) {
        return postgres ? "'Viele_' || lpad((" + number + ")::text, 7, '0')"
                        : "printf('Viele_%07d', " + number + ")";
    };
    const std::string insert = "INSERT INTO entries (code, name, level, tenths, received_at)";
    return {
        "BEGIN",
        insert + series(old, code("0"), name("i + " + first), level, "50 + i * 7919 % 3000",
                        "1700000000"),
        insert + series(week, code("100000000"), name("i / 3"), "i % 3 + 1",
                        "50 + i * 7919 % 3000 + (i % 3) * 1000", from + " + i % " + span),
        "INSERT INTO best (level, name, tenths, received_at) "
        "SELECT level, name, tenths, received_at FROM entries",
        "INSERT INTO time_counts (level, tenths, names) "
        "SELECT level, tenths, count(*) FROM best GROUP BY 1, 2",
        "INSERT INTO time_buckets (level, bucket, names) SELECT level, tenths / " +
            std::to_string(liga::timesPerBucket) + ", count(*) FROM best GROUP BY 1, 2",
        "UPDATE changes SET n = n + 1",
        postgres ? "UPDATE league_meta SET value = 3 WHERE key = 'schema'"
                 : "PRAGMA user_version = 4",
        "COMMIT",
    };
}

// Runs the statements on the league's database; the first fault's text, or "".
std::string execute(bool postgres, const std::string& db, const std::vector<std::string>& steps) {
    std::string why;
    if (postgres) {
        PGconn* c = PQconnectdb(db.c_str());
        for (const std::string& sql : steps) {
            PGresult* r = PQexec(c, sql.c_str());
            if (why.empty() && PQresultStatus(r) != PGRES_COMMAND_OK) why = PQerrorMessage(c);
            PQclear(r);
        }
        PQfinish(c);
        return why;
    }
    sqlite3* c = nullptr;
    if (sqlite3_open(db.c_str(), &c) != SQLITE_OK) why = "cannot open " + db;
    for (const std::string& sql : steps)
        if (why.empty() && sqlite3_exec(c, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            why = sqlite3_errmsg(c);
    sqlite3_close(c);
    return why;
}

std::unique_ptr<liga::Store> openStore(bool postgres, const std::string& db, unsigned connections) {
    if (postgres)
        return std::make_unique<liga::PostgresStore>(db, connections, liga::Durability::flushLater,
                                                     liga::waitFromNow(std::chrono::hours(1)));
    return std::make_unique<liga::SqliteStore>(db);
}

void fillLeague(bool postgres, const std::string& db, int64_t names) {
    openStore(postgres, db, 1); // the tables
    std::string why = execute(postgres, db, fillSteps(postgres, names));
    if (why.empty()) openStore(postgres, db, 1); // brought up to date by the store itself
    if (why.empty()) why = execute(postgres, db, {postgres ? "VACUUM ANALYZE" : "ANALYZE"});
    // A million names written in a minute leave the database's buffers dirty, which a league
    // filled over months does not: a page read would first write one out. Written now.
    if (why.empty() && postgres) why = execute(postgres, db, {"CHECKPOINT"});
    if (!why.empty()) throw std::runtime_error("filling the league: " + why);
}

// One kind of page's reads of the store, the `i`th of a run; the names and depths drawn
// from i, so that the reads spread over the league as visitors' do.
struct ViewRead {
    const char* kind;
    std::function<void(liga::Views&, int64_t i)> read;
};

// The `i`th of `n` in a stride that visits every one before any comes again.
int64_t spread(int64_t i, int64_t n) {
    return (i * 7919) % std::max<int64_t>(1, n);
}

// The `i`th of the `names` names that fillLeague made, spread likewise.
std::string filledName(int64_t i, int64_t names) {
    char name[32];
    std::snprintf(name, sizeof name, "Viele_%07lld", static_cast<long long>(spread(i, names)));
    return name;
}

std::vector<ViewRead> viewReads(int64_t names) {
    using namespace liga;
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    const PeriodStart all{Period::all, 0}, year = currentPeriod(Period::year, now),
                                           month = currentPeriod(Period::month, now),
                                           week = currentPeriod(Period::week, now);
    const std::vector<PeriodStart> periods = {all, year, month, week};
    const int64_t weekNames = std::max<int64_t>(1, names / 30);
    const auto until = [] { return waitFromNow(std::chrono::seconds(5)); };
    const auto someone = [=](int64_t i) { return filledName(i, names); };
    // Every page asks for the version first (its ETag); a page at a depth as visitors page.
    const auto board = [=](PeriodStart p, int64_t deepest) {
        return [=](Views& v, int64_t i) {
            v.versionStamp(until());
            v.boardPage(bigLevel, p, {deepest * (i % 16) / 16, 100}, until());
        };
    };
    return {
        {"overview (week's leaders)",
         [=](Views& v, int64_t) {
             v.versionStamp(until());
             for (int32_t level = 1; level <= 5; ++level)
                 v.boardPage(level, week, {0, 10}, until());
             v.sumPage(week, {0, 10}, until());
         }},
        {"board all time, page 1", board(all, 0)},
        {"board all time, to row 1M", board(all, names)},
        {"board year, to its end", board(year, weekNames)},
        {"board month, to its end", board(month, weekNames)},
        {"board week, to its end", board(week, weekNames)},
        {"sum all time, to its end",
         [=](Views& v, int64_t i) {
             v.versionStamp(until());
             v.sumPage(all, {weekNames * (i % 16) / 16, 100}, until());
         }},
        {"sum week, to its end",
         [=](Views& v, int64_t i) {
             v.versionStamp(until());
             v.sumPage(week, {weekNames * (i % 16) / 16, 100}, until());
         }},
        // A player's page: these four reads.
        {"player: standings",
         [=](Views& v, int64_t i) {
             v.versionStamp(until());
             v.standings(someone(i), periods, Period::all, 5, until());
         }},
        {"player: sum standings",
         [=](Views& v, int64_t i) { v.sumStandings(someone(i), periods, until()); }},
        {"player: entries",
         [=](Views& v, int64_t i) { v.playerEntries(someone(i), std::nullopt, 50, until()); }},
        {"player: history", [=](Views& v, int64_t i) { v.playerHistory(someone(i), until()); }},
        {"search",
         [=](Views& v, int64_t i) {
             v.versionStamp(until());
             v.findNames(someone(i).substr(0, 10), 50, until());
         }},
        {"distribution all time",
         [=](Views& v, int64_t) {
             v.versionStamp(until());
             v.distribution(bigLevel, all, until());
         }},
        {"distribution week",
         [=](Views& v, int64_t) {
             v.versionStamp(until());
             v.distribution(bigLevel, week, until());
         }},
        {"records feed",
         [=](Views& v, int64_t) {
             v.versionStamp(until());
             v.records(0, 50, until());
         }},
    };
}

// `reads` reads of each kind from `connections` threads, thread t on stores[t % size].
void measureViews(const std::vector<liga::Store*>& stores, int64_t names, int reads,
                  int connections, const char* label) {
    for (const ViewRead& kind : viewReads(names)) {
        std::vector<std::vector<double>> latencies(static_cast<std::size_t>(connections));
        std::atomic<int64_t> next = 0;
        std::atomic<int> failures = 0;
        const auto start = Clock::now();
        std::vector<std::thread> threads;
        for (int c = 0; c < connections; ++c)
            threads.emplace_back([&, c] {
                liga::Views& v = stores[static_cast<std::size_t>(c) % stores.size()]->views();
                for (int64_t i = next++; i < reads; i = next++) {
                    const auto t0 = Clock::now();
                    try {
                        kind.read(v, i);
                    } catch (const std::exception&) {
                        ++failures;
                    }
                    latencies[static_cast<std::size_t>(c)].push_back(
                        std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
                }
            });
        for (auto& t : threads) t.join();
        Result r;
        r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        for (auto& l : latencies) r.latenciesMs.insert(r.latenciesMs.end(), l.begin(), l.end());
        std::sort(r.latenciesMs.begin(), r.latenciesMs.end());
        std::printf("  %-14s %-28s %7.0f/s %6.2f %6.2f %s\n", label, kind.kind, rate(r),
                    percentile(r.latenciesMs, 0.50), percentile(r.latenciesMs, 0.99),
                    failures > 0 ? "FAILED" : "");
        std::fflush(stdout);
    }
}

int viewReadsPerKind = 0; // --views N: N reads of each kind of page from the stores
int pageReadsPerKind = 0; // --pages N: N reads of each kind of page over HTTP
std::string onlyKind;     // --kind TEXT: only the kinds whose label holds it

// One kind of page as visitors ask for it over HTTP: the address of the `i`th read, spread
// over the pages of that kind so that few are asked for twice.
struct PageKind {
    const char* kind;
    std::function<std::string(int64_t i)> path;
};

std::vector<PageKind> pageKinds(int64_t names) {
    const int64_t pages = std::max<int64_t>(1, names / 100);
    const int64_t weekPages = std::max<int64_t>(1, names / 30 / 100);
    const std::string level = std::to_string(bigLevel);
    const auto paged = [=](const std::string& path, int64_t n) {
        return [=](int64_t i) { return path + "?seite=" + std::to_string(1 + spread(i, n)); };
    };
    const auto someone = [=](int64_t i) { return filledName(i, names); };
    return {
        {"overview", [](int64_t) { return std::string("/"); }},
        {"board all time, page 1", [=](int64_t) { return "/stufe/" + level; }},
        {"board all time, any page", paged("/stufe/" + level, pages)},
        {"board year, any page", paged("/stufe/" + level + "/jahr", weekPages)},
        {"board week, any page", paged("/stufe/" + level + "/woche", weekPages)},
        {"sum all time, any page", paged("/summe", weekPages)},
        {"sum week, any page", paged("/summe/woche", weekPages)},
        {"player", [=](int64_t i) { return "/spieler/" + someone(i); }},
        {"player as JSON", [=](int64_t i) { return "/json/spieler/" + someone(i); }},
        {"search", [=](int64_t i) { return "/suche?name=" + someone(i).substr(0, 10); }},
        {"distribution all time", [=](int64_t) { return "/verteilung/" + level; }},
        {"distribution week", [=](int64_t) { return "/verteilung/" + level + "/woche"; }},
        {"records", [](int64_t) { return std::string("/rekorde"); }},
        {"records feed (Atom)", [](int64_t) { return std::string("/rekorde.atom"); }},
    };
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
    double cpuMsPerSubmission = 0;
};

// The machine's busy processor time so far, in ms (all processors, this bench's included),
// or 0 where /proc/stat cannot be read.
double busyMs() {
    std::FILE* f = std::fopen("/proc/stat", "r");
    if (!f) return 0;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0;
    const int got = std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu", &user, &nice, &system,
                                &idle, &iowait, &irq, &softirq);
    std::fclose(f);
    if (got != 7) return 0;
    return static_cast<double>(user + nice + system + irq + softirq) * 1000.0 /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string limit = "0";

// `pageReadsPerKind` reads of each kind of page over HTTP, the connections shared out
// between the servers' ports.
void measurePages(const Setup& setup, const std::vector<int>& ports, int connections, bool fresh) {
    const std::string version = fresh ? " HTTP/1.0" : " HTTP/1.1";
    for (const PageKind& kind : pageKinds(setup.names)) {
        if (std::string(kind.kind).find(onlyKind) == std::string::npos) continue;
        std::vector<std::string> requests;
        for (int64_t i = 0; i < pageReadsPerKind; ++i)
            requests.push_back("GET " + kind.path(i) + version + "\r\nHost: 127.0.0.1\r\n\r\n");
        const double busyBefore = busyMs();
        const Result r = run(ports, requests, {}, connections, false, fresh);
        const double busyPerRead = (busyMs() - busyBefore) /
                                   static_cast<double>(std::max<std::size_t>(requests.size(), 1));
        std::printf("  %-10s x%d %-28s %7.0f/s %6.2f %6.2f %6.3f %s\n",
                    setup.postgres ? "PostgreSQL" : "SQLite", setup.processes, kind.kind, rate(r),
                    percentile(r.latenciesMs, 0.50), percentile(r.latenciesMs, 0.99), busyPerRead,
                    r.failures > 0 ? "FAILED" : "");
        std::fflush(stdout);
    }
}

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
        fillLeague(setup.postgres, db, setup.names);
        m.fillSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
        std::printf("(%s: %lld names filled in in %.1f s)\n",
                    setup.postgres ? "PostgreSQL" : "SQLite", static_cast<long long>(setup.names),
                    m.fillSeconds);
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
    const double busyBefore = busyMs();
    m.submissions = run(ports, submit, onBigLevel, connections, true, fresh);
    if (!submit.empty())
        m.cpuMsPerSubmission = (busyMs() - busyBefore) / static_cast<double>(submit.size());
    m.pages = run(ports, page, {}, connections, false, fresh);
    if (pageReadsPerKind > 0) measurePages(setup, ports, connections, fresh);
    servers.clear();
    if (viewReadsPerKind > 0) {
        std::vector<std::unique_ptr<liga::Store>> stores;
        for (int i = 0; i < setup.processes; ++i)
            stores.push_back(openStore(setup.postgres, db,
                                       static_cast<unsigned>(connections / setup.processes)));
        std::vector<liga::Store*> used;
        for (auto& st : stores) used.push_back(st.get());
        const std::string label = std::string(setup.postgres ? "PostgreSQL" : "SQLite") + " x" +
                                  std::to_string(setup.processes);
        measureViews(used, setup.names, viewReadsPerKind, connections, label.c_str());
    }
    pg.reset();
    return m;
}

void report(const Setup& setup, const Measured& m) {
    const Result& s = m.submissions;
    const Result& p = m.pages;
    std::printf("%-10s %2d %9lld | %6.0f/s %6.2f %6.2f %6.2f | %6.0f/s %6.2f %6.2f | %d/%d/%d | "
                "%.3f\n",
                setup.postgres ? "PostgreSQL" : "SQLite", setup.processes,
                static_cast<long long>(setup.names), rate(s), percentile(s.latenciesMs, 0.50),
                percentile(s.latenciesMs, 0.99), percentile(s.bigLevelMs, 0.99), rate(p),
                percentile(p.latenciesMs, 0.50), percentile(p.latenciesMs, 0.99),
                s.failures + p.failures, s.refused, static_cast<int>(s.bigLevelMs.size()),
                m.cpuMsPerSubmission);
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
        } else if (a == "--views" && i + 1 < argc) {
            viewReadsPerKind = std::atoi(argv[++i]);
        } else if (a == "--pages" && i + 1 < argc) {
            pageReadsPerKind = std::atoi(argv[++i]);
        } else if (a == "--kind" && i + 1 < argc) {
            onlyKind = argv[++i];
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
                "    p50    p99 | failed/refused/on L%d | busy ms/submission\n",
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
