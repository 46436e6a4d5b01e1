// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Load on the league server over loopback: 10,000 valid submissions from 8 connections,
// then 10,000 reads of the league page from 8 connections. Starts the server itself
// (127.0.0.1, a free port, a fresh database in a temporary folder) and stops it.
//
//     build/release/bench/bench_liga [submissions] [page reads] [connections] [--fresh]
//
// The connections are kept alive (HTTP/1.1); with --fresh every request opens its own
// connection and speaks HTTP/1.0, as the game does.
//
// Every request waits at most 5 s, the whole run at most 5 minutes; it touches no address
// but 127.0.0.1.
#include "ligacode.h"
#include "ligaprozess.h"
#include "loopback.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const auto deadline = Clock::now() + std::chrono::minutes(5);

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
    int failures = 0;
    int refused = 0; // answers whose first line is not a placement
};

Result run(int port, const std::vector<std::string>& requests, int connections, bool submissions,
           bool fresh) {
    Result r;
    std::vector<std::vector<double>> latencies(connections);
    std::atomic<int> failures = 0, refused = 0;
    std::atomic<std::size_t> next = 0;
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < connections; ++c) {
        threads.emplace_back([&, c] {
            int fd = loopbackVerbinden(port);
            std::string buffer;
            for (std::size_t i = next++; i < requests.size() && Clock::now() < deadline;
                 i = next++) {
                const auto t0 = Clock::now();
                if (fd < 0) fd = loopbackVerbinden(port);
                const int status = fd < 0 ? 0 : exchange(fd, requests[i], buffer);
                latencies[c].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
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
    std::sort(r.latenciesMs.begin(), r.latenciesMs.end());
    r.failures = failures;
    r.refused = refused;
    return r;
}

double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    const std::size_t i = std::min(sorted.size() - 1, static_cast<std::size_t>(p * sorted.size()));
    return sorted[i];
}

void report(const char* what, const Result& r) {
    const double rate = r.latenciesMs.size() / r.seconds;
    std::printf("%-12s %6zu requests in %6.2f s: %8.0f/s  p50 %6.2f ms  p99 %6.2f ms  max %7.2f ms"
                "  failed %d  refused %d\n",
                what, r.latenciesMs.size(), r.seconds, rate, percentile(r.latenciesMs, 0.50),
                percentile(r.latenciesMs, 0.99), r.latenciesMs.empty() ? 0 : r.latenciesMs.back(),
                r.failures, r.refused);
}

} // namespace

int main(int argc, char** argv) {
    const int submissions = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int pageReads = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int connections = argc > 3 ? std::atoi(argv[3]) : 8;
    const bool fresh = argc > 4 && std::string(argv[4]) == "--fresh";
    const std::string version = fresh ? "HTTP/1.0" : "HTTP/1.1";
    if (submissions < 0 || pageReads < 0 || connections < 1 || connections > 64) return 2;

    char pattern[] = "/tmp/zundel_liga_bench_XXXXXX";
    const std::string folder = mkdtemp(pattern);
    // No per-address limit: every request here comes from 127.0.0.1.
    auto server = std::make_unique<TLigaProzess>(folder + "/liga.db",
                                                 std::vector<std::string>{"--limit", "0"});
    if (server->port == 0) {
        std::fprintf(stderr, "bench_liga: the league server did not start\n");
        return 1;
    }

    // 2,000 names, five times each, spread over the levels; genuine codes as the game
    // builds them, made before the clock starts.
    uint32_t state = 12345;
    const auto random = [&state](int32_t n) {
        state = state * 134775813u + 1u;
        return static_cast<int32_t>((static_cast<uint64_t>(state) * static_cast<uint32_t>(n)) >>
                                    32);
    };
    std::vector<std::string> submit;
    for (int i = 0; i < submissions; ++i) {
        const std::string name = "Spieler" + std::to_string(i % 2000);
        const int32_t level = i % 5 + 1;
        const int32_t tenths = 50 + random(3000);
        submit.push_back("GET /rekord.php?code=" + getcode(name, tenths, level, random) + " " +
                         version +
                         "\r\nHost: 127.0.0.1\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n\r\n");
    }
    const std::vector<std::string> page(static_cast<std::size_t>(pageReads),
                                        "GET / " + version + "\r\nHost: 127.0.0.1\r\n\r\n");

    const Result s = run(server->port, submit, connections, true, fresh);
    const Result p = run(server->port, page, connections, false, fresh);
    std::printf("league server on 127.0.0.1, %d connections, %s\n", connections,
                fresh ? "a new connection per request (HTTP/1.0)" : "keep-alive (HTTP/1.1)");
    report("submissions", s);
    report("page reads", p);

    server.reset();
    std::filesystem::remove_all(folder);
    return s.failures + p.failures == 0 ? 0 : 1;
}
