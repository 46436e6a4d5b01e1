// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Floods against the league server zundel-liga on 127.0.0.1, each on a fresh server with a
// fresh SQLite file; the source addresses come from 127.0.0.0/8, which is all loopback:
//   slowloris  1,000 connections from 20 addresses, one header byte each every 5 s;
//   idle       2,000 connections from 40 addresses that send nothing;
//   limiter    a client uses up its submissions, 4,200 addresses send 3 invalid ones each,
//              then the client tries 100 more;
//   lan        30 submissions at once from one address at the default limit;
//   framing    two Content-Length headers, Content-Length with Transfer-Encoding, a body
//              on a league request, an oversized length;
//   wal        a reader holds the file open for 30 s while submissions come;
//   deleted    the file deleted under the running server, then 20 submissions;
//   replaced   another league's file copied over it, then 20 submissions;
//   proxy, keepalive, table, stalled: see ligaflut_netz.h; the proxy row needs
//              tools/with-nginx.sh, the IPv6 ones tools/in-netns.sh:
//     tools/in-netns.sh tools/with-nginx.sh tools/with-postgres.sh
//         build/release/bench/bench_ligaflut 20
// Under the two connection floods a normal client (127.0.0.2) asks for the page and
// submits in turn; a probe counts as served when its whole answer came within 1 s. Every
// row prints the server's peak memory (VmHWM), its memory at the end and its stderr lines.
//
//     build/release/bench/bench_ligaflut [seconds per flood, default 20] [only this row]
//
// Each flood ends after its seconds; no request waits longer than 15 s.
#include "league_process.h"
#include "ligacode.h"
#include "ligaflut_netz.h"
#include "loopback.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sqlite3.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr uint32_t probeSource = 0x7F000002;

std::string submission(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "Flut_%07d", n);
    int32_t state = n;
    const std::string c = getcode(name, 1 + n % 3000, 1 + n % 5,
                                  [&state](int32_t k) { return (state++ & 0x7FFFFFFF) % k; });
    return "/rekord.php?code=" + c;
}

std::string get(const std::string& path) {
    return "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
}

// Taken: placed, already there, or held for review.
bool placed(const std::string& answer) {
    for (const char* taken :
         {"\r\n\r\nPlatz ", "\r\n\r\nDiese Zeit ist schon", "\r\n\r\nIhre Zeit wird"})
        if (answer.find(taken) != std::string::npos) return true;
    return false;
}

// One server with its stderr in a file of the folder.
struct Server {
    Server(const TTestVerzeichnis& dir, const std::vector<std::string>& options = {})
        : log(dir.datei("stderr.txt")), process(dir.datei("liga.db"), options, log) {}
    long statusKb(const char* field) const {
        std::ifstream in("/proc/" + std::to_string(process.process()) + "/status");
        std::string line;
        while (std::getline(in, line))
            if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
        return 0;
    }
    int logLines() const {
        std::ifstream in(log);
        int n = 0;
        for (std::string line; std::getline(in, line);) ++n;
        return n;
    }
    void tail() const {
        std::printf("    peak %.1f MB, at the end %.1f MB, %d stderr lines\n",
                    statusKb("VmHWM:") / 1024.0, statusKb("VmRSS:") / 1024.0, logLines());
    }
    std::string log;
    LeagueProcess process;
};

// Holds `count` connections from `addresses` sources, opening again what the server
// closes (at most 2,000 a second); with `trickle` each sends one header byte every 5 s.
class Flood {
public:
    Flood(int port, int count, int addresses, uint32_t firstSource, bool trickle)
        : thread_([=, this] { run(port, count, addresses, firstSource, trickle); }) {}
    ~Flood() {
        stop_ = true;
        thread_.join();
    }
    int opened() const { return opened_; }

private:
    void run(int port, int count, int addresses, uint32_t first, bool trickle) {
        const std::string header = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Langsam: ";
        std::vector<int> fds(static_cast<std::size_t>(count), -1);
        std::vector<std::size_t> sent(fds.size());
        std::vector<Clock::time_point> due(fds.size());
        while (!stop_) {
            int budget = 200;
            for (std::size_t i = 0; i < fds.size(); ++i) {
                char buffer[512];
                if (fds[i] >= 0) {
                    const ssize_t n = recv(fds[i], buffer, sizeof buffer, MSG_DONTWAIT);
                    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
                        close(fds[i]);
                        fds[i] = -1;
                    }
                }
                if (fds[i] < 0 && budget-- > 0) {
                    fds[i] = open(port, first + static_cast<uint32_t>(i) % addresses);
                    sent[i] = 0;
                    due[i] = Clock::now() + 5s * i / fds.size();
                    if (fds[i] >= 0) ++opened_;
                }
                if (trickle && fds[i] >= 0 && Clock::now() >= due[i]) {
                    const char c = sent[i] < header.size() ? header[sent[i]] : 'x';
                    if (send(fds[i], &c, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1) ++sent[i];
                    due[i] += 5s;
                }
            }
            std::this_thread::sleep_for(100ms);
        }
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }
    static int open(int port, uint32_t source) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(source);
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            if (fd >= 0) close(fd);
            return -1;
        }
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port));
        if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS) {
            close(fd);
            return -1;
        }
        return fd;
    }

    std::atomic<bool> stop_ = false;
    std::atomic<int> opened_ = 0;
    std::thread thread_;
};

// The normal client's probes, page and submission in turn, four a second.
void probe(int port, std::chrono::seconds length, int& served, int& tries) {
    const auto end = Clock::now() + length;
    for (int n = 0; Clock::now() < end; ++n) {
        const bool page = n % 2 == 0;
        const auto t0 = Clock::now();
        const std::string answer =
            loopbackSenden(port, get(page ? "/" : submission(900000 + n)), 2, probeSource);
        const bool ok = answer.rfind("HTTP/1.1 200", 0) == 0 &&
                        (page ? answer.find("</html>") != std::string::npos : placed(answer));
        ++tries;
        if (ok && Clock::now() - t0 <= 1s) ++served;
        std::this_thread::sleep_until(t0 + 250ms);
    }
}

void connectionFlood(const char* what, int count, int addresses, bool trickle,
                     std::chrono::seconds length) {
    TTestVerzeichnis dir;
    Server server(dir, {"--limit", "0"});
    int served = 0, tries = 0;
    int opened = 0;
    {
        Flood flood(server.process.port, count, addresses, 0x7F010001, trickle);
        std::this_thread::sleep_for(std::min<std::chrono::seconds>(length / 4, 5s));
        probe(server.process.port, length, served, tries);
        opened = flood.opened();
    }
    std::printf("%s: %d connections from %d addresses (%d opened in all): %d of %d probes "
                "served within 1 s (%.0f %%)\n",
                what, count, addresses, opened, served, tries, 100.0 * served / std::max(tries, 1));
    std::this_thread::sleep_for(1s);
    loopbackSenden(server.process.port, get("/"), 2, probeSource);
    server.tail();
}

int submitFrom(int port, uint32_t source, int n) {
    return placed(loopbackSenden(port, get(submission(n)), 5, source)) ? 1 : 0;
}

void limiter() {
    TTestVerzeichnis dir;
    Server server(dir);
    const int port = server.process.port;
    const uint32_t client = 0x7F000003;
    int before = 0;
    for (int n = 0; n < 200 && submitFrom(port, client, n); ++n) ++before;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([port, t] {
            for (int a = t; a < 4200; a += 8)
                for (int k = 0; k < 3; ++k)
                    loopbackSenden(port, get("/rekord.php?code=00"), 5,
                                   0x7F020000 + static_cast<uint32_t>(a));
        });
    for (auto& t : threads) t.join();
    int after = 0;
    for (int n = 0; n < 100; ++n) after += submitFrom(port, client, 1000 + n);
    std::printf("limiter: the client stored %d before it was refused; after 4,200 addresses x 3 "
                "invalid requests it stored %d of 100 more\n",
                before, after);
    server.tail();
}

void lanBurst() {
    TTestVerzeichnis dir;
    Server server(dir);
    std::atomic<int> stored = 0;
    std::vector<std::thread> players;
    for (int p = 0; p < 30; ++p)
        players.emplace_back([&, p] { stored += submitFrom(server.process.port, 0x7F000004, p); });
    for (auto& t : players) t.join();
    std::printf("lan: 30 submissions at once from one address at the default limit: %d stored\n",
                stored.load());
    server.tail();
}

// How many answers (status lines) came, which, and whether the server closed.
void framing() {
    TTestVerzeichnis dir;
    Server server(dir);
    const std::string next = "GET /nirgends HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    const std::string league = "GET /rekord.php?code=00 HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"two Content-Length (0, then the next request's length)",
         "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\nContent-Length: " +
             std::to_string(next.size()) + "\r\n\r\n" + next},
        {"Content-Length with Transfer-Encoding",
         league + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n" + next},
        {"a body on a league request", league + "Content-Length: 5\r\n\r\nHallo" + next},
        {"an oversized length", league + "Content-Length: 99999999999999999999999\r\n\r\n"},
    };
    for (const auto& [what, request] : cases) {
        const auto t0 = Clock::now();
        const std::string answer = loopbackSenden(server.process.port, request, 3);
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        std::string statuses;
        for (std::size_t at = answer.find("HTTP/1."); at != std::string::npos;
             at = answer.find("HTTP/1.", at + 1))
            statuses += (statuses.empty() ? "" : ", ") + answer.substr(at + 9, 3);
        std::printf("framing, %s: answers [%s], %s after %.1f s\n", what, statuses.c_str(),
                    seconds < 2.5 ? "closed" : "still open", seconds);
    }
    server.tail();
}

std::uintmax_t fileSize(const std::string& path) {
    std::error_code e;
    const auto n = std::filesystem::file_size(path, e);
    return e ? 0 : n;
}

void wal() {
    TTestVerzeichnis dir;
    Server server(dir, {"--limit", "0"});
    const int port = server.process.port;
    const std::string wal = dir.datei("liga.db-wal");
    std::atomic<bool> stop = false;
    std::atomic<int> stored = 0;
    std::vector<std::thread> writers;
    for (int t = 0; t < 2; ++t)
        writers.emplace_back([&, t] {
            for (int n = t; !stop && n < 40000; n += 2) stored += submitFrom(port, 0x7F000005, n);
        });
    sqlite3* reader = nullptr;
    sqlite3_open_v2(dir.datei("liga.db").c_str(), &reader, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM entries;", nullptr, nullptr, nullptr);
    std::uintmax_t peak = 0;
    for (auto end = Clock::now() + 30s; Clock::now() < end; std::this_thread::sleep_for(250ms))
        peak = std::max(peak, fileSize(wal));
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    const auto released = Clock::now();
    double under = -1;
    while (Clock::now() - released < 15s) {
        if (fileSize(wal) < 64u << 20) {
            under = std::chrono::duration<double>(Clock::now() - released).count();
            break;
        }
        std::this_thread::sleep_for(100ms);
    }
    std::this_thread::sleep_for(3s);
    stop = true;
    for (auto& t : writers) t.join();
    std::printf("wal: %d submissions; the log grew to %.0f MiB under the 30-s reader; ",
                stored.load(), peak / 1048576.0);
    if (under >= 0)
        std::printf("under 64 MiB %.1f s after it let go, %.1f MiB 3 s later\n", under,
                    fileSize(wal) / 1048576.0);
    else
        std::printf("still %.0f MiB 15 s after it let go\n", fileSize(wal) / 1048576.0);
    server.tail();
}

// The file deleted, or another league's copied over it, under the running server.
void underIt(bool replace) {
    TTestVerzeichnis dir;
    const std::string path = dir.datei("liga.db");
    int entries = 0;
    {
        Server server(dir, {"--limit", "0"});
        for (int n = 0; n < 70; ++n) entries += submitFrom(server.process.port, 0x7F000006, n);
        if (replace) {
            const std::string other = dir.datei("andere.db");
            {
                liga::SqliteStore store(other);
                for (int n = 0; n < 5; ++n)
                    store.submit({"Andere_Liga" + std::to_string(n), 1, 100 + n, 1700000000,
                                  submission(5000 + n).substr(17)});
            }
            std::filesystem::copy_file(other, path,
                                       std::filesystem::copy_options::overwrite_existing);
        } else {
            std::filesystem::remove(path);
        }
        std::this_thread::sleep_for(2s);
        int acknowledged = 0;
        for (int n = 0; n < 20; ++n)
            acknowledged += submitFrom(server.process.port, 0x7F000006, 100 + n);
        std::printf("%s: %d entries before; then %d of 20 submissions taken\n",
                    replace ? "replaced" : "deleted", entries, acknowledged);
        server.tail();
        std::ifstream in(server.log);
        for (std::string line; std::getline(in, line);)
            std::printf("    stderr: %s\n", line.c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::chrono::seconds length{argc > 1 ? std::max(5, std::atoi(argv[1])) : 20};
    const std::string only = argc > 2 ? argv[2] : "";
    const auto wanted = [&](const char* row) { return only.empty() || only == row; };
    if (wanted("slowloris")) connectionFlood("slowloris", 1000, 20, true, length);
    if (wanted("idle")) connectionFlood("idle", 2000, 40, false, length);
    if (wanted("limiter")) limiter();
    if (wanted("lan")) lanBurst();
    if (wanted("framing")) framing();
    if (wanted("wal")) wal();
    if (wanted("deleted")) underIt(false);
    if (wanted("replaced")) underIt(true);
    if (wanted("proxy")) proxyFloods();
    if (wanted("keepalive")) keepAliveFloods(length);
    if (wanted("table")) limiterTableFloods();
    if (wanted("stalled")) stalledReaders();
    return 0;
}
