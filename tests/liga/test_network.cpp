// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league as README deploys it: nginx with the site file liga/dist/nginx/zundel-liga
// in front of two servers, IPv4 and IPv6, and no set of addresses holding the slots. Run
// by ctest as tools/in-netns.sh tools/with-nginx.sh test_network, which give it a network
// namespace of its own with many IPv6 addresses, and nginx.
#include "database_lock.h"
#include "forwarded_for.h"
#include "handler.h"
#include "http_server.h"
#include "league_process.h"
#include "league_samples.h"
#include "loopback.h"
#include "pg_database.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace liga;
using namespace liga::samples;
using Clock = std::chrono::steady_clock;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool deployed() {
    return !environment("ZUNDEL_NGINX").empty() && !environment("ZUNDEL_NETNS_PREFIX").empty();
}

constexpr const char* howToRun =
    "run as tools/in-netns.sh tools/with-nginx.sh test_network (as root, with nginx)";

std::string ipv4(int n) {
    return "127.0." + std::to_string(10 + n / 250) + "." + std::to_string(1 + n % 250);
}

// An address of the namespace's IPv6 prefix: /48 number `site`, /64 number `net` in it.
std::string ipv6(unsigned site, unsigned net, unsigned host = 1) {
    std::ostringstream t;
    t << environment("ZUNDEL_NETNS_PREFIX") << ':' << std::hex << site << ':' << net
      << "::" << host;
    return t.str();
}

std::string get(const std::string& path) {
    return "GET " + path + " HTTP/1.0\r\nHost: liga.example.org\r\n\r\n";
}

std::string bodyOf(const std::string& answer) {
    const std::size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? "" : answer.substr(at + 4);
}

// The server marks each of its answers "no-store": one without it came from nginx.
bool fromTheLeague(const std::string& answer) {
    const std::size_t end = answer.find("\r\n\r\n");
    return end != std::string::npos && answer.find("Cache-Control: no-store") < end;
}

// `count` requests at once, request i from `source(i)`; their answers.
template <class Source, class Request>
std::vector<std::string> atOnce(int count, const std::string& target, int port, Source source,
                                Request request) {
    std::vector<std::string> answers(static_cast<std::size_t>(count));
    std::vector<std::thread> threads;
    std::atomic<int> ready = 0;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            ++ready;
            while (ready < count) std::this_thread::yield();
            answers[static_cast<std::size_t>(i)] =
                loopbackSendenVon(source(i), target, port, request(i));
        });
    for (auto& t : threads) t.join();
    return answers;
}

// Two servers behind nginx on `db`, each counting a client at one submission a minute,
// three at once.
void behindNginx(const std::string& db) {
    std::istringstream upstreams(environment("ZUNDEL_NGINX_UPSTREAMS"));
    int up1 = 0, up2 = 0;
    upstreams >> up1 >> up2;
    const std::vector<std::string> common = {"--proxy", "127.0.0.1", "--limit", "1"};
    const auto options = [&](int port) {
        std::vector<std::string> o = {"--listen", "127.0.0.1:" + std::to_string(port)};
        o.insert(o.end(), common.begin(), common.end());
        return o;
    };
    LeagueProcess one(db, options(up1)), two(db, options(up2));
    ASSERT_NE(one.port, 0);
    ASSERT_NE(two.port, 0);
    const std::string nginx = environment("ZUNDEL_NGINX");
    const int port = std::stoi(nginx.substr(nginx.find(':') + 1));

    // Many clients at once through one proxy: each is counted on its own, none as the proxy.
    int pages = 0;
    std::string other;
    for (const std::string& a : atOnce(100, "127.0.0.1", port, ipv4, [](int) { return get("/"); }))
        (a.find("</html>") != std::string::npos ? ++pages : (other = a, 0));
    EXPECT_EQ(pages, 100) << other;

    // The database locked past the wait: every submission waiting for it is answered by the
    // league (its time kept for later), never closed, and never by nginx.
    {
        DatabaseLock lock(db);
        int kept = 0;
        for (const std::string& a : atOnce(
                 80, "127.0.0.1", port, [](int i) { return ipv4(100 + i); },
                 [](int i) {
                     return get("/rekord.php?code=" + code("Gesperrt_Gert", 300 + i, 3, i));
                 }))
            (fromTheLeague(a) && bodyOf(a).rfind("Ihre Zeit ist angekommen", 0) == 0
                 ? ++kept
                 : (other = a, 0));
        EXPECT_EQ(kept, 80) << other;
    }

    // What waited for the lock has given up by now on the database's side too.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));

    // Over IPv6: two addresses of one /64 are one client, and both servers count it alike.
    const std::string six = environment("ZUNDEL_NGINX_V6");
    const int port6 = std::stoi(six.substr(six.rfind(':') + 1));
    int placed = 0, limited = 0;
    std::string bodies;
    for (int i = 0; i < 6; ++i) {
        const std::string body = bodyOf(
            loopbackSendenVon(ipv6(1, 1, 1 + static_cast<unsigned>(i % 2)), "::1", port6,
                              get("/rekord.php?code=" + code("Sechs_Sabine", 900 + i, 4, i))));
        placed += body.rfind("Platz ", 0) == 0;
        limited += body.rfind("Nicht eingetragen: Zu viele", 0) == 0;
        bodies += body;
    }
    EXPECT_EQ(placed, 3) << bodies;
    EXPECT_EQ(limited, 3) << bodies;
}

TEST(BehindNginx, SqliteFile) {
    ASSERT_TRUE(deployed()) << howToRun;
    TTestVerzeichnis folder;
    behindNginx(folder.datei("liga.db"));
}

TEST(BehindNginx, PostgreSQL) {
    ASSERT_TRUE(deployed()) << howToRun;
    PgDatabase pg;
    if (!pg.missing.empty()) {
        if (PgDatabase::required()) FAIL() << pg.missing;
        GTEST_SKIP() << pg.missing;
    }
    behindNginx(pg.conninfo);
}

// How many of these connections the server has not closed.
int stillOpen(const std::vector<int>& fds) {
    int open = 0;
    for (int fd : fds) {
        char c;
        const ssize_t n = recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        open += n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return open;
}

// A league in memory behind a server of its own with `limits`, listening on `address`.
struct SlotServer {
    SlotServer(const char* address, const ServerLimits& limits)
        : server(league, *parseListenAddress(address), limits) {}
    int port() const { return static_cast<int>(server.port()); }
    SqliteStore store{":memory:"};
    RateLimiter limiter{0};
    League league{store, limiter};
    HttpServer server;
};

TEST(Slots, NoSetOfAddressesHoldsThemAndAPrefixHoldsItsShare) {
    ASSERT_TRUE(deployed()) << howToRun;
    ServerLimits limits;
    limits.connections = 64;
    limits.connectionsPerAddress = 4;
    limits.connectionsPerAddressAtAll = 8;
    const SlotServer slots("[::]:0", limits);
    const int port = slots.port();
    const auto served = [&] {
        const auto t0 = Clock::now();
        const std::string a = loopbackSendenVon("127.0.0.2", "127.0.0.1", port, get("/"));
        return a.find("</html>") != std::string::npos &&
               Clock::now() - t0 < std::chrono::seconds(1);
    };
    std::vector<int> held;
    // 16 addresses with 4 idle connections each take every slot.
    for (int i = 0; i < 64; ++i)
        held.push_back(loopbackVerbindenVon(ipv4(i / 4), "127.0.0.1", port));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(stillOpen(held), 64);
    EXPECT_TRUE(served());
    // 64 /64s of one /56, two connections each: the /56 holds four clients' worth, eight
    // while they are fresh; the others are refused or closed.
    std::vector<int> six;
    for (unsigned i = 0; i < 128; ++i)
        six.push_back(loopbackVerbindenVon(ipv6(2, 0x100 + i / 2), "::1", port));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(stillOpen(six), 32);
    EXPECT_TRUE(served());
    for (int fd : held) close(fd);
    for (int fd : six) close(fd);
}

// Connections that came and went, ten times as many as the slots, leave them all free.
TEST(Slots, ConnectionsThatCameAndWentHoldNone) {
    ASSERT_TRUE(deployed()) << howToRun;
    ServerLimits limits;
    limits.connections = 4;
    const SlotServer slots("127.0.0.1:0", limits);
    const int port = slots.port();
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(loopbackSendenVon(ipv4(i), "127.0.0.1", port, get("/")).find("</html>"),
                  std::string::npos)
            << i;
}

TEST(Nginx, TheReadmeQuotesTheSiteFileTheTestsRun) {
    std::ifstream site(ZUNDEL_QUELLE "/liga/dist/nginx/zundel-liga");
    std::ifstream readme(ZUNDEL_QUELLE "/README.md");
    ASSERT_TRUE(site && readme);
    std::string quoted, line;
    while (std::getline(site, line))
        if (line.rfind("# SPDX", 0) != 0) quoted += (line.empty() ? "" : "    " + line) + "\n";
    std::stringstream all;
    all << readme.rdbuf();
    EXPECT_NE(all.str().find(quoted), std::string::npos)
        << "README.md does not quote liga/dist/nginx/zundel-liga as it stands:\n"
        << quoted;
}

} // namespace
