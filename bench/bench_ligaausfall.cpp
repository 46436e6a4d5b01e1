// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league server zundel-liga when its database goes away, and how soon it stops:
//   outage  two servers on one PostgreSQL database with one spool folder; 8 clients, each
//           from an address of its own, send a new code every 50 ms for 9 s, half to each
//           server; the database is stopped from 3 s to 6 s, and one server is killed
//           (kill -9) at 4.5 s. Codes sent, placed, spooled, refused and unanswered; once
//           the database is back, how long until every acknowledged code is stored, and
//           how many are missing or on the board more than once.
//   flood   one server, the database stopped; 20 addresses send 150 codes each, then 150
//           others 80 each, as fast as 8 connections go: codes kept (in all, and the most
//           from one address), refused and why, the spool's bytes; then how long storing
//           them takes.
//   stop    an idle server, fresh and 2 s after 200 submissions, on SQLite and on
//           PostgreSQL, and with PostgreSQL away and the 200 waiting in the spool: from
//           SIGTERM to its exit, 10 times each, median and longest; with --disk while
//           another thread writes and flushes 1 MB after 1 MB.
//
//     tools/with-postgres.sh build/release/bench/bench_ligaausfall [--only outage|flood|stop]
//         [--program PATH] [--disk]
//
// --program stops another zundel-liga in the stop rows, e.g. one built from an older
// commit. Every address is on 127.0.0.0/8; the database is on its Unix socket.
#include "league_process.h"
#include "ligacode.h"
#include "loopback.h"
#include "pg_database.h"
#include "postgres_store.h"
#include "testverzeichnis.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const std::string spooledLine =
    "Ihre Zeit ist angekommen und wird eingetragen, sobald die Liga wieder speichern kann.";

std::string code(const std::string& name, int32_t tenths, int32_t level, int32_t seed) {
    return getcode(name, tenths, level, [&seed](int32_t n) { return (seed++ & 0x7FFFFFFF) % n; });
}

// The first line of the answer to one submission from 127.0.0.`source`; empty for none.
std::string submit(int port, const std::string& c, uint32_t source) {
    const std::string a = loopbackSenden(port, "GET /rekord.php?code=" + c + " HTTP/1.0\r\n\r\n",
                                         15, 0x7F000000 | source);
    const std::size_t body = a.find("\r\n\r\n");
    if (body == std::string::npos) return {};
    return a.substr(body + 4, a.find("\r\n", body + 4) - body - 4);
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::size_t folderBytes(const std::string& folder) {
    std::size_t bytes = 0;
    std::error_code e;
    for (const auto& f : std::filesystem::directory_iterator(folder, e))
        bytes += std::filesystem::file_size(f.path(), e);
    return bytes;
}

bool pgOrSay(PgDatabase& db) {
    if (db.missing.empty()) return true;
    std::printf("  (no PostgreSQL: %s)\n", db.missing.c_str());
    return false;
}

// How long until `done` holds, asked every 50 ms; negative when not within `most`.
template <class F> double secondsUntil(Clock::duration most, F done) {
    const auto start = Clock::now();
    while (!done()) {
        if (Clock::now() - start > most) return -1;
        std::this_thread::sleep_for(50ms);
    }
    return seconds(Clock::now() - start);
}

void outage() {
    std::printf("outage: 8 clients, a code every 50 ms each for 9 s; database away 3-6 s, "
                "one of two servers killed at 4.5 s\n");
    PgDatabase db;
    if (!pgOrSay(db)) return;
    TTestVerzeichnis folder;
    const std::string spool = folder.datei("spool");
    const std::vector<std::string> options = {"--limit", "0", "--spool", spool};
    LeagueProcess a(db.conninfo, options, folder.datei("a.log"));
    auto b = std::make_unique<LeagueProcess>(db.conninfo, options, folder.datei("b.log"));
    if (a.port == 0 || b->port == 0) {
        std::printf("  the servers did not start\n");
        return;
    }
    const int ports[2] = {a.port, b->port};
    std::mutex mutex;
    std::set<std::string> acknowledged;
    std::map<std::string, int> counts;
    const auto start = Clock::now();
    std::vector<std::thread> clients;
    for (uint32_t c = 0; c < 8; ++c)
        clients.emplace_back([&, c] {
            for (int n = 0; Clock::now() - start < 9s; ++n) {
                const auto due = start + n * 50ms;
                std::this_thread::sleep_until(due);
                const std::string k =
                    code("Aus" + std::to_string(c) + "_" + std::to_string(n), 500 + n, 2, n);
                const std::string answer = submit(ports[n % 2], k, 10 + c);
                const bool placed = answer.rfind("Platz ", 0) == 0;
                const bool spooled = answer == spooledLine;
                std::lock_guard lock(mutex);
                ++counts[placed           ? "placed"
                         : spooled        ? "spooled"
                         : answer.empty() ? "unanswered"
                                          : "refused"];
                if (placed || spooled) acknowledged.insert(k);
            }
        });
    std::this_thread::sleep_until(start + 3s);
    PgDatabase::server("stop");
    std::this_thread::sleep_until(start + 4500ms);
    kill(b->process(), SIGKILL);
    std::this_thread::sleep_until(start + 6s);
    PgDatabase::server("start");
    const auto back = Clock::now();
    for (std::thread& t : clients) t.join();
    b.reset();

    liga::PostgresStore league(db.conninfo, 1);
    std::size_t missing = 0;
    const double drained = secondsUntil(60s, [&] {
        std::set<std::string> left = acknowledged;
        for (const liga::EntryRow& e : league.entries({{}, {}, false, 0})) left.erase(e.code);
        missing = left.size();
        return missing == 0;
    });
    std::map<std::string, int> onBoard;
    for (const liga::BoardRow& r : league.board(2, 1000000)) ++onBoard[r.name];
    const auto doubled =
        std::count_if(onBoard.begin(), onBoard.end(), [](const auto& n) { return n.second > 1; });
    int sent = 0;
    for (const auto& [what, n] : counts) sent += n;
    std::printf("  sent %d: placed %d, spooled %d, refused %d, unanswered %d (the killed server)\n",
                sent, counts["placed"], counts["spooled"], counts["refused"], counts["unanswered"]);
    std::printf("  acknowledged %zu; stored afterwards %zu, missing %zu, on the board twice %ld; "
                "all stored %.1f s after the database came back (%.1f s after the stream)\n",
                acknowledged.size(), acknowledged.size() - missing, missing,
                static_cast<long>(doubled), drained < 0 ? -1 : seconds(Clock::now() - back),
                drained);
}

// Sends `each` codes from each of `addresses` addresses from 127.0.0.`first` on, over 8
// connections; counts what the spool kept per address and why it refused the rest.
struct Flooded {
    std::vector<int> kept;
    int perClient = 0, full = 0, other = 0;
    double seconds = 0;
};

Flooded floodFrom(int port, int first, int addresses, int each) {
    Flooded f;
    f.kept.assign(static_cast<std::size_t>(addresses), 0);
    std::mutex mutex;
    std::atomic<int> next = 0;
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i; (i = next++) < addresses * each;) {
                const int address = first + i % addresses, n = i / addresses;
                const std::string answer = submit(
                    port,
                    code("Flut" + std::to_string(address) + "_" + std::to_string(n), 400 + n, 3, i),
                    static_cast<uint32_t>(address));
                std::lock_guard lock(mutex);
                if (answer == spooledLine)
                    ++f.kept[static_cast<std::size_t>(i % addresses)];
                else if (answer.find("von Ihrer Adresse warten schon") != std::string::npos)
                    ++f.perClient;
                else if (answer.find("Zwischenspeicher ist voll") != std::string::npos)
                    ++f.full;
                else
                    ++f.other;
            }
        });
    for (std::thread& t : threads) t.join();
    f.seconds = seconds(Clock::now() - start);
    return f;
}

void flood() {
    std::printf("flood: database away; 20 addresses send 150 codes each, then 150 others 80 "
                "each, over 8 connections\n");
    PgDatabase db;
    if (!pgOrSay(db)) return;
    TTestVerzeichnis folder;
    const std::string spool = folder.datei("spool");
    LeagueProcess server(db.conninfo, {"--limit", "0", "--spool", spool}, folder.datei("s.log"));
    if (server.port == 0) {
        std::printf("  the server did not start\n");
        return;
    }
    PgDatabase::server("stop");
    int total = 0;
    for (const auto& [first, addresses, each] :
         {std::tuple{10, 20, 150}, std::tuple{30, 150, 80}}) {
        const Flooded f = floodFrom(server.port, first, addresses, each);
        int kept = 0;
        for (const int k : f.kept) kept += k;
        total += kept;
        std::printf("  %d addresses x %d: %d requests in %.1f s (%.0f a second): kept %d, the "
                    "most from one address %d; refused %d for their address, %d for a full "
                    "spool, %d otherwise; spool now %zu bytes\n",
                    addresses, each, addresses * each, f.seconds, addresses * each / f.seconds,
                    kept, *std::max_element(f.kept.begin(), f.kept.end()), f.perClient, f.full,
                    f.other, folderBytes(spool));
    }
    PgDatabase::server("start");
    liga::PostgresStore league(db.conninfo, 1);
    std::size_t stored = 0;
    const double drained = secondsUntil(300s, [&] {
        stored = league.entries({{}, {}, false, 0}).size();
        return stored >= static_cast<std::size_t>(total) && folderBytes(spool) == 0;
    });
    std::printf("  once the database is back: %zu of %d stored in %.1f s\n", stored, total,
                drained);
}

// A server of `program` on its own, for the stop rows: its pid and port.
struct Started {
    pid_t pid = -1;
    int port = 0;
};

Started startServer(const std::string& program, const std::string& db, const std::string& state) {
    std::vector<std::string> arguments = {program,   "--listen", "127.0.0.1:0", "--db", db,
                                          "--limit", "0"};
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    int ends[2];
    Started s;
    if (pipe(ends) != 0) return s;
    s.pid = fork();
    if (s.pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        close(ends[0]);
        // A PostgreSQL league's spool goes there by default.
        setenv("XDG_STATE_HOME", state.c_str(), 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(ends[1]);
    s.port = announcedPort(ends[0]);
    // Its standard output stays open, so that its last line finds a reader.
    std::thread([fd = ends[0]] {
        char sink[256];
        while (read(fd, sink, sizeof sink) > 0) {
        }
        close(fd);
    }).detach();
    return s;
}

// With `away` the database is stopped before the submissions, so that they wait in the
// spool, and started again after the row.
void stopRow(const std::string& program, const std::string& what, const std::string& db, bool used,
             bool away = false) {
    TTestVerzeichnis state;
    std::vector<double> ms;
    for (int run = 0; run < 10; ++run) {
        const Started s = startServer(program, db, state.pfad().string());
        if (s.port == 0) {
            std::printf("  %s: the server did not start\n", what.c_str());
            if (s.pid > 0) kill(s.pid, SIGKILL), waitpid(s.pid, nullptr, 0);
            return;
        }
        if (away) PgDatabase::server("stop");
        if (used)
            for (int n = 0; n < 200; ++n)
                submit(s.port,
                       code("Stop" + std::to_string(run) + "_" + std::to_string(n), 300 + n, 3, n),
                       2);
        std::this_thread::sleep_for(2s);
        const auto t0 = Clock::now();
        kill(s.pid, SIGTERM);
        waitpid(s.pid, nullptr, 0);
        ms.push_back(seconds(Clock::now() - t0) * 1000);
        if (away) PgDatabase::server("start");
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-40s median %6.1f ms, longest %6.1f ms\n", what.c_str(), ms[ms.size() / 2],
                ms.back());
}

void stop(const std::string& program, bool disk) {
    std::printf("stop: SIGTERM to exit of an idle %s%s\n", program.c_str(),
                disk ? ", while another thread writes and flushes" : "");
    TTestVerzeichnis folder;
    std::atomic<bool> writing = disk;
    std::thread writer([&] {
        std::vector<char> mb(1 << 20, 'x');
        const std::string path = folder.datei("last");
        while (writing) {
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            for (int i = 0; i < 300 && writing && fd >= 0; ++i)
                if (write(fd, mb.data(), mb.size()) > 0) fdatasync(fd);
            if (fd >= 0) close(fd);
        }
    });
    for (const bool used : {false, true})
        stopRow(program, std::string("SQLite, ") + (used ? "after 200 submissions" : "fresh"),
                folder.datei(used ? "used.db" : "fresh.db"), used);
    PgDatabase db;
    if (pgOrSay(db)) {
        for (const bool used : {false, true})
            stopRow(program,
                    std::string("PostgreSQL, ") + (used ? "after 200 submissions" : "fresh"),
                    db.conninfo, used);
        stopRow(program, "PostgreSQL away, codes in the spool", db.conninfo, true, true);
    }
    writing = false;
    writer.join();
}

} // namespace

int main(int argc, char** argv) {
    std::string only, program = ZUNDEL_LIGA_PROGRAMM;
    bool disk = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (a == "--program" && i + 1 < argc) {
            program = argv[++i];
        } else if (a == "--disk") {
            disk = true;
        } else {
            std::fprintf(stderr, "usage: %s [--only outage|flood|stop] [--program PATH] [--disk]\n",
                         argv[0]);
            return 2;
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    if (only.empty() || only == "outage") outage();
    if (only.empty() || only == "flood") flood();
    if (only.empty() || only == "stop") stop(program, disk);
    return 0;
}
