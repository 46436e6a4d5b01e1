// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's answers: its page, its requests, what waits for the store, proxies.
#include "feed.h"
#include "forwarded_for.h"
#include "handler.h"
#include "http_server.h"
#include "league_samples.h"
#include "listen_address.h"
#include "loopback.h"
#include "page.h"
#include "rate_limit.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <thread>

namespace {

using namespace liga;
using namespace liga::samples;

TEST(Page, ListsEachNamesBestTimeEscapedWithSharedPlaces) {
    SqliteStore store(":memory:");
    store.submit(entry("<i>&\"'", 1, 50, 1));
    store.submit(entry("Zweiter_Gleich", 1, 50, 2));
    store.submit(entry("Dritte", 1, 70, 3));
    store.submit(entry("Dritte", 1, 90, 4)); // slower: her best stays
    const Placement p = store.submit(entry("Dritte", 1, 60, 5));
    EXPECT_EQ(p.place, 3);  // behind the two at 5,0 seconds
    EXPECT_EQ(p.ranked, 3); // three names
    const std::vector<BoardRow> list = store.board(1, 100);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].place, 1);
    EXPECT_EQ(list[1].place, 1);
    EXPECT_EQ(list[2].place, 3);
    EXPECT_EQ(list[2].tenths, 60);

    Boards boards;
    boards[0] = list;
    const std::string html = renderPage(boards);
    EXPECT_NE(html.find("&lt;i&gt;&amp;&quot;&#39;"), std::string::npos);
    EXPECT_EQ(html.find("<i>"), std::string::npos);
    EXPECT_NE(html.find("6,0 Sekunden"), std::string::npos);
    EXPECT_NE(html.find("Fortgeschrittene"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    // What each level is, how to take part, and where the data are.
    EXPECT_NE(html.find("</h2>\n<p class=\"brett\">30 × 16 Felder, 99 Minen</p>"),
              std::string::npos);
    EXPECT_NE(html.find("„übertragen“"), std::string::npos);
    EXPECT_NE(html.find("6 bis 15 Zeichen"), std::string::npos);
    EXPECT_NE(html.find("<a href=\"liga.json\">"), std::string::npos);

    // The feed: the same rows, every name a valid JSON string.
    boards[4] = {{7, "Tab\tQuote\"Back\\</", 12345, 1700000000}};
    const std::string json = renderFeed(boards);
    EXPECT_NE(json.find(R"({"place": 1, "name": "\u003ci\u003e\u0026\"'", "tenths": 50, )"
                        R"("time": "5,0 Sekunden", "date": ")"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("name": "Tab\u0009Quote\"Back\\\u003c/", "tenths": 12345, )"
                        R"("time": "1234,5 Sekunden")"),
              std::string::npos)
        << json;
    EXPECT_EQ(jsonString(std::string("\x01\x1f\x7f\xc3\xa4", 5)),
              "\"\\u0001\\u001f\\u007f\xc3\xa4\"");

    for (int i = 0; i < 105; ++i)
        store.submit(entry("Name" + std::to_string(1000 + i), 2, 100 + i, 10 + i));
    EXPECT_EQ(store.board(2, 100).size(), 100u);
}

TEST(Waiting, OnlyWhatNeedsTheLockedFileWaitsAndThatNoLongerThanItsBound) {
    TTestVerzeichnis folder;
    SqliteStore store(folder.datei("liga.db"));
    RateLimiter limiter(0);
    League league(store, limiter);
    ServerLimits limits;
    limits.databaseWait = std::chrono::milliseconds(1500);
    HttpServer server(league, *parseListenAddress("127.0.0.1:0"), limits);

    // Another program holds the file's write lock.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(folder.datei("liga.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    using Clock = std::chrono::steady_clock;
    const auto submitCode = [&] {
        std::string a = loopbackGet(static_cast<int>(server.port()),
                                    "/rekord.php?code=" + code("Geduldig_Gerd", 87, 1));
        return std::make_pair(a, Clock::now());
    };
    auto waiting = std::async(std::launch::async, submitCode);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Meanwhile what needs no writing is answered, the page from the file as it stands.
    EXPECT_NE(loopbackGet(static_cast<int>(server.port()), "/nirgends").find(" 404 "),
              std::string::npos);
    std::string wrong = code("Geduldig_Gerd", 87, 1);
    wrong[3] = wrong[3] == 'A' ? 'B' : 'A';
    EXPECT_NE(
        loopbackGet(static_cast<int>(server.port()), "/rekord.php?code=" + wrong).find("besch\xE4"),
        std::string::npos);
    EXPECT_NE(loopbackGet(static_cast<int>(server.port()), "/").find("Noch keine Zeiten."),
              std::string::npos);
    const auto answeredAt = Clock::now();
    const auto [refused, when] = waiting.get();
    EXPECT_GT(when, answeredAt);
    EXPECT_NE(refused.find("\r\n\r\nNicht eingetragen: Die Liga kann gerade nichts speichern."),
              std::string::npos)
        << refused;

    // Once the lock is gone, the same code is taken.
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_NE(submitCode().first.find("\r\n\r\nPlatz 1 von 1 "), std::string::npos);
}

TEST(Requests, AnswersEveryRequestAndStoresOnlyWhatHolds) {
    SqliteStore store(":memory:");
    RateLimiter limiter(3, 3);
    League league(store, limiter);

    const Response r = league.handle(request(code("Erika_Muster", 87, 1)));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.contentType, "text/plain; charset=windows-1252");
    EXPECT_EQ(firstLine(r), "Platz 1 von 1 in der Spielstufe Anf\xE4nger.");
    EXPECT_EQ(r.body,
              "Platz 1 von 1 in der Spielstufe Anf\xE4nger.\r\nErika_Muster, 8,7 Sekunden.\r\n");

    const uint64_t versionBefore = store.version();
    std::string wrong = code("Erika_Muster", 80, 1);
    wrong[3] = wrong[3] == 'A' ? 'B' : 'A';
    EXPECT_EQ(firstLine(league.handle(request(wrong))), "Nicht eingetragen: Der Code ist besch\xE4"
                                                        "digt.");
    Request without = request("");
    without.code.reset();
    EXPECT_EQ(firstLine(league.handle(without)).rfind("Nicht eingetragen: ", 0), 0u);

    // The fourth submission within a minute from one address is turned away plainly.
    const Response limited = league.handle(request(code("Erika_Muster", 70, 1)));
    EXPECT_EQ(limited.status, 200);
    EXPECT_EQ(firstLine(limited).rfind("Nicht eingetragen: Zu viele", 0), 0u);
    EXPECT_EQ(store.version(), versionBefore);
    EXPECT_EQ(firstLine(league.handle(request(code("Erika_Muster", 70, 1), "192.0.2.2"))),
              "Platz 1 von 1 in der Spielstufe Anf\xE4nger.");

    Request page = request("");
    page.path = "/";
    EXPECT_EQ(league.handle(page).status, 200);
    EXPECT_NE(league.handle(page).text().find("7,0 Sekunden"), std::string::npos);
    Request many = page;
    many.headerCount = maxHeaderCount + 1;
    EXPECT_EQ(league.handle(many).status, 431);
    Request post = page;
    post.method = "POST";
    EXPECT_EQ(league.handle(post).status, 405);
    Request content = page;
    content.bodySize = 1;
    EXPECT_EQ(league.handle(content).status, 413);
    Request elsewhere = page;
    elsewhere.path = "/rekord.php/../etc";
    EXPECT_EQ(league.handle(elsewhere).status, 404);
}

TEST(Requests, HoldsWhatIsTooFastAndHeadOrTheFeedStoreNothing) {
    SqliteStore store(":memory:");
    RateLimiter limiter(1, 1);
    League league(store, limiter);
    EXPECT_EQ(firstLine(league.handle(request(code("Flinke_Fee", 19, 1)))),
              "Ihre Zeit wird gepr\xFC"
              "ft und erscheint nach der Freigabe in der Liga.");
    EXPECT_TRUE(store.board(1, 100).empty());
    EXPECT_EQ(store.entries({}).at(0).state, EntryState::held);

    // HEAD is answered like GET, but neither stores nor spends the address's one token.
    const uint64_t versionBefore = store.version();
    Request header = request(code("Kopf_Karl", 20, 1), "127.0.0.9");
    header.method = "HEAD";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(league.handle(header).contentType, "text/plain; charset=windows-1252");
    EXPECT_EQ(store.version(), versionBefore);
    header.method = "GET";
    EXPECT_EQ(firstLine(league.handle(header)), "Platz 1 von 1 in der Spielstufe Anf\xE4nger.");

    Request feed = request("");
    feed.path = "/liga.json";
    const Response json = league.handle(feed);
    EXPECT_EQ(json.contentType, "application/json; charset=utf-8");
    EXPECT_NE(json.text().find(R"("name": "Kopf_Karl", "tenths": 20,)"), std::string::npos);
    EXPECT_EQ(json.text().find("Flinke_Fee"), std::string::npos);

    // A bound of 0 holds nothing.
    LeagueSettings without;
    without.review[0] = 0;
    League open(store, limiter, without);
    EXPECT_EQ(firstLine(open.handle(request(code("Flinke_Fee", 3, 1), "127.0.0.10"))),
              "Platz 1 von 2 in der Spielstufe Anf\xE4nger.");
}

TEST(Proxy, OnlyANamedProxysForwardedForNamesTheClient) {
    const auto a = [](const char* text) { return *parseAddress(text); };
    const auto text = [](const in6_addr& x) {
        char t[INET6_ADDRSTRLEN];
        return std::string(inet_ntop(AF_INET6, &x, t, sizeof t));
    };
    const std::vector<in6_addr> proxies = {a("127.0.0.2"), a("::1")};
    // The last address that is no proxy, however many proxies stand behind it.
    EXPECT_EQ(text(clientBehindProxies(a("127.0.0.2"), "127.0.0.66, 127.0.0.7", proxies)),
              "::ffff:127.0.0.7");
    EXPECT_EQ(text(clientBehindProxies(a("::1"), "127.0.0.7:4711 ,[::1]:443, 127.0.0.2", proxies)),
              "::ffff:127.0.0.7");
    EXPECT_EQ(text(clientBehindProxies(a("127.0.0.2"), "::ffff:127.0.0.8", proxies)),
              "::ffff:127.0.0.8");
    // Without a usable entry the request stays with the last proxy.
    EXPECT_EQ(text(clientBehindProxies(a("127.0.0.2"), "", proxies)), "::ffff:127.0.0.2");
    EXPECT_EQ(text(clientBehindProxies(a("127.0.0.2"), "127.0.0.7, unknown, ::1", proxies)), "::1");
    EXPECT_EQ(text(clientBehindProxies(a("127.0.0.2"), "127.0.0.7:x", proxies)),
              "::ffff:127.0.0.2");
    // From any other peer the header says nothing.
    EXPECT_EQ(text(clientBehindProxies(a("127.0.0.9"), "127.0.0.7", proxies)), "::ffff:127.0.0.9");
    for (const char* wrong : {"", "localhost", "127.0.0.1:80", "[127.0.0.1]", "::1]", "1.2.3"})
        EXPECT_FALSE(parseAddress(wrong)) << wrong;

    // The server counts the rate limit by it.
    SqliteStore store(":memory:");
    RateLimiter limiter(1, 1);
    League league(store, limiter);
    ServerLimits limits;
    limits.proxies = {a("127.0.0.1")};
    HttpServer server(league, *parseListenAddress("127.0.0.1:0"), limits);
    int seed = 1;
    const auto counted = [&](uint32_t peer, const char* forwarded) {
        const std::string answer =
            loopbackSenden(static_cast<int>(server.port()),
                           "GET /rekord.php?code=" + code("Hinter_Proxy", 300 + seed, 2, seed) +
                               " HTTP/1.0\r\nX-Forwarded-For: " + forwarded + "\r\n\r\n",
                           5, peer);
        ++seed;
        return answer.find("\r\n\r\nPlatz ") != std::string::npos;
    };
    EXPECT_TRUE(counted(loopbackQuelle, "127.0.0.10"));
    EXPECT_TRUE(counted(loopbackQuelle, "127.0.0.11"));
    EXPECT_FALSE(counted(loopbackQuelle, "127.0.0.10"));
    // A forged head of the list does not hide the client the proxy saw.
    EXPECT_FALSE(counted(loopbackQuelle, "127.0.0.12, 127.0.0.10"));
    EXPECT_TRUE(counted(loopbackQuelle, "127.0.0.10, 127.0.0.12"));
    // Not from a proxy: the peer counts, whatever it claims.
    EXPECT_TRUE(counted(0x7F000014, "127.0.0.30"));
    EXPECT_FALSE(counted(0x7F000014, "127.0.0.31"));
}

} // namespace
