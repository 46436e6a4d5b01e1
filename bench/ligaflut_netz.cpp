// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ligaflut_netz.h"
#include "database_lock.h"
#include "league_process.h"
#include "ligacode.h"
#include "loopback.h"
#include "pg_database.h"
#include "testverzeichnis.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <libpq-fe.h>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sqlite3.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string validCode(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "Netz_%08d", n);
    int32_t state = n;
    return getcode(name, 100 + n % 3000, 1 + n % 5,
                   [&state](int32_t k) { return (state++ & 0x7FFFFFFF) % k; });
}

std::string request(const std::string& path, const std::string& forwardedFor = {},
                    const char* version = "HTTP/1.0") {
    return "GET " + path + " " + version + "\r\nHost: liga.example.org\r\n" +
           (forwardedFor.empty() ? "" : "X-Forwarded-For: " + forwardedFor + "\r\n") + "\r\n";
}

int connectFrom(const std::string& source, const std::string& target, int port, bool wait = true,
                int receiveBuffer = 0) {
    return loopbackVerbindenVon(source, target, port, wait, receiveBuffer);
}

std::string exchange(const std::string& source, const std::string& target, int port,
                     const std::string& text) {
    return loopbackSendenVon(source, target, port, text);
}

std::string v4(uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." +
           std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255);
}

const char* netnsPrefix() {
    const char* p = std::getenv("ZUNDEL_NETNS_PREFIX");
    return p && *p ? p : nullptr;
}

// An address of the namespace's prefix: /48 number `site`, /64 number `net` in it.
std::string v6(unsigned site, unsigned net, unsigned host = 1) {
    char text[64];
    std::snprintf(text, sizeof text, "%s:%x:%x::%x", netnsPrefix(), site, net, host);
    return text;
}

enum Kind { page, placed, leagueLine, proxyPage, nothing };
// The server marks each of its answers "no-store"; whatever lacks it, nginx made.
Kind kindOf(const std::string& a) {
    if (a.empty()) return nothing;
    const std::size_t body = a.find("\r\n\r\n");
    if (body == std::string::npos) return nothing;
    const std::string b = a.substr(body + 4);
    if (a.find("no-store") > body) return proxyPage;
    if (b.find("</html>") != std::string::npos) return page;
    if (b.rfind("Platz ", 0) == 0 || b.rfind("Diese Zeit", 0) == 0 || b.rfind("Ihre Zeit", 0) == 0)
        return placed;
    return leagueLine;
}

struct Tally {
    std::atomic<int> counts[5] = {};
    std::mutex mutex;
    std::string line; // the first league line or nginx answer
    void add(const std::string& answer) {
        const Kind k = kindOf(answer);
        ++counts[k];
        std::lock_guard lock(mutex);
        if ((k == leagueLine || k == proxyPage) && line.empty())
            line = answer.substr(answer.find("\r\n\r\n") + 4, 80);
    }
    std::string text() const {
        return std::to_string(counts[page]) + " pages, " + std::to_string(counts[placed]) +
               " placed, " + std::to_string(counts[leagueLine]) + " league lines, " +
               std::to_string(counts[proxyPage]) + " answers of nginx, " +
               std::to_string(counts[nothing]) + " without an answer" +
               (line.empty() ? "" : " (\"" + line.substr(0, line.find('\r')) + "\")");
    }
};

// `count` requests at once, request i from `source(i)`.
template <class Source, class Path>
void atOnce(int count, const std::string& target, int port, Source source, Path path,
            Tally& tally) {
    std::vector<std::thread> threads;
    std::atomic<int> ready = 0;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            ++ready;
            while (ready < count) std::this_thread::yield();
            tally.add(exchange(source(i), target, port, path(i)));
        });
    for (auto& t : threads) t.join();
}

long statusKb(pid_t pid, const char* field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

void proxyFloodsOn(const std::string& db, const char* store) {
    const char* nginx = std::getenv("ZUNDEL_NGINX");
    int up1 = 0, up2 = 0;
    std::istringstream(std::getenv("ZUNDEL_NGINX_UPSTREAMS")) >> up1 >> up2;
    const int port = std::atoi(std::strchr(nginx, ':') + 1);
    LeagueProcess one(db, {"--listen", "127.0.0.1:" + std::to_string(up1), "--proxy", "127.0.0.1"});
    LeagueProcess two(db, {"--listen", "127.0.0.1:" + std::to_string(up2), "--proxy", "127.0.0.1"});
    if (one.port == 0 || two.port == 0) {
        std::printf("proxy, %s: the servers did not start\n", store);
        return;
    }
    const auto from = [](uint32_t base) { return [base](int i) { return v4(base + i); }; };
    Tally pages, submissions, locked;
    atOnce(
        200, "127.0.0.1", port, from(0x7F040001), [](int) { return request("/"); }, pages);
    atOnce(
        200, "127.0.0.1", port, from(0x7F050001),
        [](int i) { return request("/rekord.php?code=" + validCode(i)); }, submissions);
    {
        DatabaseLock lock(db);
        std::thread release([] { std::this_thread::sleep_for(3s); });
        atOnce(
            40, "127.0.0.1", port, from(0x7F060001),
            [](int i) { return request("/rekord.php?code=" + validCode(1000 + i)); }, locked);
        release.join();
    }
    // nginx tries a server it found failing again after 10 s.
    std::this_thread::sleep_for(11s);
    int stored = 0;
    for (int i = 0; i < 150; ++i)
        stored += kindOf(exchange("127.0.7.1", "127.0.0.1", port,
                                  request("/rekord.php?code=" + validCode(2000 + i)))) == placed;
    std::printf("proxy, %s: 200 page reads at once: %s\n", store, pages.text().c_str());
    std::printf("proxy, %s: 200 submissions at once: %s\n", store, submissions.text().c_str());
    std::printf("proxy, %s: 40 submissions at once, the database locked for 3 s: %s\n", store,
                locked.text().c_str());
    std::printf("proxy, %s: one address's 150 submissions over both servers at the default "
                "limit (60 at once): %d stored\n",
                store, stored);
}

} // namespace

void proxyFloods() {
    if (!std::getenv("ZUNDEL_NGINX")) {
        std::printf("proxy: skipped, run under tools/with-nginx.sh\n");
        return;
    }
    {
        TTestVerzeichnis dir;
        proxyFloodsOn(dir.datei("liga.db"), "SQLite");
    }
    PgDatabase pg;
    if (pg.missing.empty())
        proxyFloodsOn(pg.conninfo, "PostgreSQL");
    else
        std::printf("proxy, PostgreSQL: skipped, %s\n", pg.missing.c_str());
}

namespace {

// Holds `addresses.size()` x `each` keep-alive connections, each sending a cheap complete
// request every 3.5 s, opening again what the server closes.
class KeepAlive {
public:
    KeepAlive(std::vector<std::string> addresses, int each, std::string target, int port)
        : thread_([=, this] { run(addresses, each, target, port); }) {}
    ~KeepAlive() {
        stop_ = true;
        thread_.join();
    }
    int opened() const { return opened_; }

private:
    void run(const std::vector<std::string>& addresses, int each, const std::string& target,
             int port) {
        const std::string cheap = request("/nirgends", {}, "HTTP/1.1");
        const std::size_t n = addresses.size() * static_cast<std::size_t>(each);
        std::vector<int> fds(n, -1);
        std::vector<Clock::time_point> due(n);
        while (!stop_) {
            int budget = 200;
            const auto now = Clock::now();
            for (std::size_t i = 0; i < n; ++i) {
                char buffer[4096];
                if (fds[i] >= 0) {
                    const ssize_t got = recv(fds[i], buffer, sizeof buffer, MSG_DONTWAIT);
                    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
                        close(fds[i]);
                        fds[i] = -1;
                    }
                }
                if (fds[i] < 0 && budget-- > 0) {
                    fds[i] = connectFrom(addresses[i % addresses.size()], target, port, false);
                    due[i] = now + 3500ms * i / n;
                    if (fds[i] >= 0) ++opened_;
                }
                if (fds[i] >= 0 && now >= due[i]) {
                    send(fds[i], cheap.data(), cheap.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                    due[i] += 3500ms;
                }
            }
            std::this_thread::sleep_for(50ms);
        }
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }

    std::atomic<bool> stop_ = false;
    std::atomic<int> opened_ = 0;
    std::thread thread_;
};

// A fresh client's page reads and submissions in turn, four a second: the share whose
// whole answer came within 1 s.
double probe(const std::string& source, const std::string& target, int port,
             std::chrono::seconds length, int& tries) {
    int served = 0;
    const auto end = Clock::now() + length;
    for (int n = 0; Clock::now() < end; ++n) {
        const bool readsPage = n % 2 == 0;
        const auto t0 = Clock::now();
        const Kind k = kindOf(
            exchange(source, target, port,
                     request(readsPage ? "/" : "/rekord.php?code=" + validCode(500000 + n))));
        ++tries;
        if (k == (readsPage ? page : placed) && Clock::now() - t0 <= 1s) ++served;
        std::this_thread::sleep_until(t0 + 250ms);
    }
    return 100.0 * served / std::max(tries, 1);
}

} // namespace

void keepAliveFloods(std::chrono::seconds length) {
    for (const bool six : {false, true}) {
        if (six && !netnsPrefix()) {
            std::printf("keepalive, IPv6: skipped, run under tools/in-netns.sh\n");
            continue;
        }
        TTestVerzeichnis dir;
        LeagueProcess server(dir.datei("liga.db"),
                             {"--limit", "0", "--listen", six ? "[::]:0" : "127.0.0.1:0"});
        std::vector<std::string> addresses;
        for (unsigned a = 0; a < (six ? 256u : 125u); ++a)
            addresses.push_back(six ? v6(1, 0x100 + a) : v4(0x7F080001 + a));
        const int each = six ? 8 : 16;
        int tries = 0, opened = 0;
        double share = 0;
        {
            KeepAlive flood(addresses, each, six ? "::1" : "127.0.0.1", server.port);
            std::this_thread::sleep_for(5s);
            share = probe("127.0.0.2", "127.0.0.1", server.port, length, tries);
            opened = flood.opened();
        }
        std::printf("keepalive, %s: %zu x %d connections, a request each every 3.5 s (%d "
                    "opened in all): %.0f %% of %d probes served within 1 s; peak %.1f MB\n",
                    six ? "256 IPv6 /64s of one /56" : "125 IPv4 addresses", addresses.size(), each,
                    opened, share, tries, statusKb(server.process(), "VmHWM:") / 1024.0);
    }
}

void limiterTableFloods() {
    for (const bool six : {false, true}) {
        if (six && !netnsPrefix()) {
            std::printf("limiter table, IPv6: skipped, run under tools/in-netns.sh\n");
            continue;
        }
        TTestVerzeichnis dir;
        std::vector<std::string> options = {"--listen", six ? "[::]:0" : "127.0.0.1:0"};
        if (!six) options.insert(options.end(), {"--proxy", "127.0.0.1"});
        LeagueProcess server(dir.datei("liga.db"), options);
        const std::string target = six ? "::1" : "127.0.0.1";
        std::atomic<bool> stop = false;
        std::atomic<int> sent = 0;
        std::vector<std::thread> flood;
        for (int t = 0; t < 8; ++t)
            flood.emplace_back([&, t] {
                for (int round = 0; !stop && round < 3; ++round)
                    for (int a = t; !stop && a < 17000; a += 8) {
                        // Through the proxy the client is named; on IPv6 it is the source.
                        if (six)
                            exchange(v6(2, static_cast<unsigned>(a)), target, server.port,
                                     request("/rekord.php?code=00"));
                        else
                            exchange("127.0.0.1", target, server.port,
                                     request("/rekord.php?code=00",
                                             v4(0x7F100000 + static_cast<uint32_t>(a))));
                        ++sent;
                    }
            });
        std::this_thread::sleep_for(2s);
        int stored = 0;
        for (unsigned k = 0; k < 7; ++k) {
            const std::string path = "/rekord.php?code=" + validCode(700000 + static_cast<int>(k));
            const std::string answer =
                six ? exchange(v6(3 + k, 1), target, server.port, request(path))
                    : exchange("127.0.0.1", target, server.port, request(path, v4(0x7FC80001 + k)));
            stored += kindOf(answer) == placed;
            std::this_thread::sleep_for(1s);
        }
        stop = true;
        for (auto& t : flood) t.join();
        std::printf("limiter table, %s: %d invalid codes sent meanwhile; %d of 7 fresh clients' "
                    "first valid code stored\n",
                    six ? "17,000 IPv6 /64s of one /48" : "17,000 addresses through a named proxy",
                    sent.load(), stored);
    }
}

namespace {

// The server's sockets on `port`, and the kernel's memory of them, from ss: what they
// hold received and queued to send, and their buffers' reserves, in KB.
std::pair<int, long> serverSockets(int port) {
    const std::string command =
        "ss -tmnH state established '( sport = :" + std::to_string(port) + " )' 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return {0, 0};
    long bytes = 0;
    int sockets = 0;
    char line[1024];
    while (std::fgets(line, sizeof line, p)) {
        const char* at = std::strstr(line, "skmem:(");
        if (!at) continue;
        ++sockets;
        for (const char* field : {",r", "(r", ",w", ",f"}) {
            const char* f = std::strstr(at, field);
            if (f && f[2] >= '0' && f[2] <= '9') bytes += std::atol(f + 2);
        }
    }
    pclose(p);
    return {sockets, bytes / 1024};
}

} // namespace

void stalledReaders() {
    TTestVerzeichnis dir;
    LeagueProcess server(dir.datei("liga.db"), {"--limit", "0"});
    // A full page: 100 names on each level.
    for (int i = 0; i < 500; ++i)
        exchange("127.0.0.5", "127.0.0.1", server.port,
                 request("/rekord.php?code=" + validCode(i)));
    const std::size_t pageBytes =
        exchange("127.0.0.5", "127.0.0.1", server.port, request("/")).size();
    const long rssBefore = statusKb(server.process(), "VmRSS:");
    std::vector<int> readers;
    const std::string ask = request("/", {}, "HTTP/1.1");
    for (int i = 0; i < 1200; ++i) {
        const int fd = connectFrom(v4(0x7F090001 + static_cast<uint32_t>(i % 75)), "127.0.0.1",
                                   server.port, true, 4096);
        if (fd < 0) continue;
        send(fd, ask.data(), ask.size(), MSG_NOSIGNAL);
        readers.push_back(fd);
    }
    std::this_thread::sleep_for(3s);
    const auto [held, kernel] = serverSockets(server.port);
    const long rss = statusKb(server.process(), "VmRSS:");
    int tries = 0;
    const double share = probe("127.0.0.2", "127.0.0.1", server.port, 4s, tries);
    for (int fd : readers) close(fd);
    std::printf("stalled readers: %zu that never read a page of %zu bytes: the server holds %d "
                "of them, whose sockets hold %ld KB in the kernel (%.1f KB each); its memory "
                "grew by %ld KB (%.1f KB each); %.0f %% of %d probes served within 1 s\n",
                readers.size(), pageBytes, held, kernel, double(kernel) / std::max(held, 1),
                rss - rssBefore, double(rss - rssBefore) / std::max(held, 1), share, tries);
}
