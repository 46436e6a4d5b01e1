// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league server's parts without the network: store, page, answers, limiter, address.
#include "feed.h"
#include "forwarded_for.h"
#include "handler.h"
#include "http_server.h"
#include "ligacode.h"
#include "listen_address.h"
#include "loopback.h"
#include "page.h"
#include "rate_limit.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <thread>

namespace {

using namespace liga;

std::string code(const char* name, int32_t zeit, int32_t stufe, int32_t saat = 1) {
    return getcode(name, zeit, stufe, [&saat](int32_t n) { return saat++ % n; });
}

Submission eintrag(const std::string& name, int32_t stufe, int32_t zehntel, int32_t saat = 1) {
    return {name, stufe, zehntel, 1700000000, code("Unbekannt", 1, stufe, saat)};
}

Request anfrage(const std::string& c, const std::string& client = "192.0.2.1") {
    Request r;
    r.method = "GET";
    r.path = "/rekord.php";
    r.code = c;
    r.client = client;
    r.unixSeconds = 1700000000;
    return r;
}

std::string ersteZeile(const Response& r) {
    return r.body.substr(0, r.body.find("\r\n"));
}

TEST(LigaSeite, ListsEachNamesBestTimeEscapedWithSharedPlaces) {
    SqliteStore store(":memory:");
    store.submit(eintrag("<i>&\"'", 1, 50, 1));
    store.submit(eintrag("Zweiter_Gleich", 1, 50, 2));
    store.submit(eintrag("Dritte", 1, 70, 3));
    store.submit(eintrag("Dritte", 1, 90, 4)); // slower: her best stays
    const Placement p = store.submit(eintrag("Dritte", 1, 60, 5));
    EXPECT_EQ(p.place, 3);  // behind the two at 5,0 seconds
    EXPECT_EQ(p.ranked, 3); // three names
    const std::vector<BoardRow> liste = store.board(1, 100);
    ASSERT_EQ(liste.size(), 3u);
    EXPECT_EQ(liste[0].place, 1);
    EXPECT_EQ(liste[1].place, 1);
    EXPECT_EQ(liste[2].place, 3);
    EXPECT_EQ(liste[2].tenths, 60);

    Boards boards;
    boards[0] = liste;
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
        store.submit(eintrag("Name" + std::to_string(1000 + i), 2, 100 + i, 10 + i));
    EXPECT_EQ(store.board(2, 100).size(), 100u);
}

TEST(LigaWarten, OnlyWhatNeedsTheLockedFileWaitsAndThatNoLongerThanItsBound) {
    TTestVerzeichnis ordner;
    SqliteStore store(ordner.datei("liga.db"));
    RateLimiter drossel(0);
    League liga(store, drossel);
    ServerLimits grenzen;
    grenzen.databaseWait = std::chrono::milliseconds(1500);
    HttpServer server(liga, *parseListenAddress("127.0.0.1:0"), grenzen);

    // Another program holds the file's write lock.
    sqlite3* anderer = nullptr;
    ASSERT_EQ(sqlite3_open(ordner.datei("liga.db").c_str(), &anderer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(anderer, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    using Uhr = std::chrono::steady_clock;
    const auto einreichen = [&] {
        std::string a = loopbackGet(static_cast<int>(server.port()),
                                    "/rekord.php?code=" + code("Geduldig_Gerd", 87, 1));
        return std::make_pair(a, Uhr::now());
    };
    auto wartend = std::async(std::launch::async, einreichen);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Meanwhile what needs no writing is answered, the page from the file as it stands.
    EXPECT_NE(loopbackGet(static_cast<int>(server.port()), "/nirgends").find(" 404 "),
              std::string::npos);
    std::string falsch = code("Geduldig_Gerd", 87, 1);
    falsch[3] = falsch[3] == 'A' ? 'B' : 'A';
    EXPECT_NE(loopbackGet(static_cast<int>(server.port()), "/rekord.php?code=" + falsch)
                  .find("besch\xE4"),
              std::string::npos);
    EXPECT_NE(loopbackGet(static_cast<int>(server.port()), "/").find("Noch keine Zeiten."),
              std::string::npos);
    const auto beantwortet = Uhr::now();
    const auto [abgewiesen, wann] = wartend.get();
    EXPECT_GT(wann, beantwortet);
    EXPECT_NE(abgewiesen.find("\r\n\r\nNicht eingetragen: Die Liga kann gerade nichts speichern."),
              std::string::npos)
        << abgewiesen;

    // Once the lock is gone, the same code is taken.
    sqlite3_exec(anderer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(anderer);
    EXPECT_NE(einreichen().first.find("\r\n\r\nPlatz 1 von 1 "), std::string::npos);
}

TEST(LigaRahmen, AnUnclearLengthIsRefusedAndWhatFollowsItNeverReadAsARequest) {
    SqliteStore store(":memory:");
    RateLimiter drossel(0);
    League liga(store, drossel);
    HttpServer server(liga, *parseListenAddress("127.0.0.1:0"));
    const std::string danach = "GET /nirgends HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    const std::string laenge = "Content-Length: " + std::to_string(danach.size()) + "\r\n";
    for (const std::string& kopf :
         {"Content-Length: 0\r\n" + laenge, laenge + "Transfer-Encoding: chunked\r\n"}) {
        const std::string antwort =
            loopbackSenden(static_cast<int>(server.port()),
                           "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n" + kopf + "\r\n" + danach, 5);
        EXPECT_EQ(antwort.rfind("HTTP/1.1 400 ", 0), 0u) << antwort;
        EXPECT_EQ(antwort.find("HTTP/1.1", 1), std::string::npos) << antwort;
    }
}

// What the store does within `frist`, or false.
template <class F> bool binnen(std::chrono::milliseconds frist, F f) {
    for (auto ende = std::chrono::steady_clock::now() + frist; !f();) {
        if (std::chrono::steady_clock::now() > ende) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

TEST(LigaDatei, DeletedOrReplacedUnderTheServerItStoresNothingMoreAndSaysSoOnce) {
    for (const bool ersetzen : {false, true}) {
        TTestVerzeichnis ordner;
        const std::string pfad = ordner.datei("liga.db");
        SqliteStore store(pfad);
        RateLimiter drossel(0);
        League liga(store, drossel);
        EXPECT_EQ(ersteZeile(liga.handle(anfrage(code("Erika_Muster", 870, 1)))).rfind("Platz", 0),
                  0u);
        testing::internal::CaptureStderr();
        if (ersetzen) {
            { SqliteStore andere(ordner.datei("andere.db")); }
            std::filesystem::copy_file(ordner.datei("andere.db"), pfad,
                                       std::filesystem::copy_options::overwrite_existing);
        } else {
            std::filesystem::remove(pfad);
        }
        int saat = 10;
        EXPECT_TRUE(binnen(std::chrono::seconds(3), [&] {
            return ersteZeile(liga.handle(anfrage(code("Erika_Muster", 800, 1, ++saat)))) ==
                   "Nicht eingetragen: Die Liga kann gerade nichts speichern. Bitte versuchen "
                   "Sie es sp\xE4ter noch einmal.";
        })) << ersetzen;
        for (int i = 0; i < 5; ++i)
            EXPECT_NE(ersteZeile(liga.handle(anfrage(code("Erika_Muster", 700 + i, 1, ++saat))))
                          .rfind("Platz", 0),
                      0u);
        const std::string fehler = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(fehler.begin(), fehler.end(), '\n'), 1) << fehler;
        EXPECT_NE(fehler.find(ersetzen ? "was replaced" : "was deleted"), std::string::npos)
            << fehler;
    }
}

TEST(LigaDatei, TheLogShrinksOnceALongReaderLetsGo) {
    TTestVerzeichnis ordner;
    SqliteStore store(ordner.datei("liga.db"));
    sqlite3* leser = nullptr;
    ASSERT_EQ(sqlite3_open(ordner.datei("liga.db").c_str(), &leser), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(leser, "BEGIN; SELECT count(*) FROM entries;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const auto groesse = [&] {
        std::error_code e;
        const auto n = std::filesystem::file_size(ordner.datei("liga.db-wal"), e);
        return e ? 0 : n;
    };
    for (int i = 0; groesse() < (6u << 20) && i < 5000; ++i)
        store.submit(eintrag("Name" + std::to_string(100000 + i), 1 + i % 5, 100 + i, i));
    ASSERT_GE(groesse(), 6u << 20);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_GE(groesse(), 6u << 20); // the reader still needs it
    sqlite3_exec(leser, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(leser);
    EXPECT_TRUE(binnen(std::chrono::seconds(5), [&] { return groesse() < (1u << 20); }))
        << groesse();
}

TEST(LigaSpeicher, CountsTheTimesOfAFileFromTheFirstServerVersion) {
    TTestVerzeichnis ordner;
    sqlite3* alt = nullptr;
    ASSERT_EQ(sqlite3_open(ordner.datei("liga.db").c_str(), &alt), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(alt, R"(
        CREATE TABLE entries (id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, name TEXT NOT NULL,
            level INTEGER NOT NULL, tenths INTEGER NOT NULL, received_at INTEGER NOT NULL);
        CREATE TABLE best (level INTEGER NOT NULL, name TEXT NOT NULL, tenths INTEGER NOT NULL,
            received_at INTEGER NOT NULL, PRIMARY KEY (level, name)) WITHOUT ROWID;
        INSERT INTO best VALUES (3, 'Alt_Anton', 50, 1), (3, 'Alt_Berta', 50, 2), (3, 'Alt_Carl', 90, 3);
    )",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(alt);
    SqliteStore store(ordner.datei("liga.db"));
    const Placement p = store.submit(eintrag("Neu_Nele", 3, 60, 1));
    EXPECT_EQ(p.place, 3);
    EXPECT_EQ(p.ranked, 4);
}

TEST(LigaAnfrage, AnswersEveryRequestAndStoresOnlyWhatHolds) {
    SqliteStore store(":memory:");
    RateLimiter drossel(3, 3);
    League liga(store, drossel);

    const Response r = liga.handle(anfrage(code("Erika_Muster", 87, 1)));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.contentType, "text/plain; charset=windows-1252");
    EXPECT_EQ(ersteZeile(r), "Platz 1 von 1 in der Spielstufe Anf\xE4nger.");
    EXPECT_EQ(r.body,
              "Platz 1 von 1 in der Spielstufe Anf\xE4nger.\r\nErika_Muster, 8,7 Sekunden.\r\n");

    const uint64_t stand = store.version();
    std::string falsch = code("Erika_Muster", 80, 1);
    falsch[3] = falsch[3] == 'A' ? 'B' : 'A';
    EXPECT_EQ(ersteZeile(liga.handle(anfrage(falsch))), "Nicht eingetragen: Der Code ist besch\xE4"
                                                        "digt.");
    Request ohne = anfrage("");
    ohne.code.reset();
    EXPECT_EQ(ersteZeile(liga.handle(ohne)).rfind("Nicht eingetragen: ", 0), 0u);

    // The fourth submission within a minute from one address is turned away plainly.
    const Response gebremst = liga.handle(anfrage(code("Erika_Muster", 70, 1)));
    EXPECT_EQ(gebremst.status, 200);
    EXPECT_EQ(ersteZeile(gebremst).rfind("Nicht eingetragen: Zu viele", 0), 0u);
    EXPECT_EQ(store.version(), stand);
    EXPECT_EQ(ersteZeile(liga.handle(anfrage(code("Erika_Muster", 70, 1), "192.0.2.2"))),
              "Platz 1 von 1 in der Spielstufe Anf\xE4nger.");

    Request seite = anfrage("");
    seite.path = "/";
    EXPECT_EQ(liga.handle(seite).status, 200);
    EXPECT_NE(liga.handle(seite).body.find("7,0 Sekunden"), std::string::npos);
    Request viele = seite;
    viele.headerCount = maxHeaderCount + 1;
    EXPECT_EQ(liga.handle(viele).status, 431);
    Request post = seite;
    post.method = "POST";
    EXPECT_EQ(liga.handle(post).status, 405);
    Request inhalt = seite;
    inhalt.bodySize = 1;
    EXPECT_EQ(liga.handle(inhalt).status, 413);
    Request anderswo = seite;
    anderswo.path = "/rekord.php/../etc";
    EXPECT_EQ(liga.handle(anderswo).status, 404);
}

TEST(LigaAnfrage, HoldsWhatIsTooFastAndHeadOrTheFeedStoreNothing) {
    SqliteStore store(":memory:");
    RateLimiter drossel(1, 1);
    League liga(store, drossel);
    EXPECT_EQ(ersteZeile(liga.handle(anfrage(code("Flinke_Fee", 19, 1)))),
              "Ihre Zeit wird gepr\xFC"
              "ft und erscheint nach der Freigabe in der Liga.");
    EXPECT_TRUE(store.board(1, 100).empty());
    EXPECT_EQ(store.entries({}).at(0).state, EntryState::held);

    // HEAD is answered like GET, but neither stores nor spends the address's one token.
    const uint64_t stand = store.version();
    Request kopf = anfrage(code("Kopf_Karl", 20, 1), "127.0.0.9");
    kopf.method = "HEAD";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(liga.handle(kopf).contentType, "text/plain; charset=windows-1252");
    EXPECT_EQ(store.version(), stand);
    kopf.method = "GET";
    EXPECT_EQ(ersteZeile(liga.handle(kopf)), "Platz 1 von 1 in der Spielstufe Anf\xE4nger.");

    Request feed = anfrage("");
    feed.path = "/liga.json";
    const Response json = liga.handle(feed);
    EXPECT_EQ(json.contentType, "application/json; charset=utf-8");
    EXPECT_NE(json.body.find(R"("name": "Kopf_Karl", "tenths": 20,)"), std::string::npos);
    EXPECT_EQ(json.body.find("Flinke_Fee"), std::string::npos);

    // A bound of 0 holds nothing.
    LeagueSettings ohne;
    ohne.review[0] = 0;
    League offen(store, drossel, ohne);
    EXPECT_EQ(ersteZeile(offen.handle(anfrage(code("Flinke_Fee", 3, 1), "127.0.0.10"))),
              "Platz 1 von 2 in der Spielstufe Anf\xE4nger.");
}

TEST(LigaProxy, OnlyANamedProxysForwardedForNamesTheClient) {
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
    for (const char* falsch : {"", "localhost", "127.0.0.1:80", "[127.0.0.1]", "::1]", "1.2.3"})
        EXPECT_FALSE(parseAddress(falsch)) << falsch;

    // The handler counts the rate limit by it.
    SqliteStore store(":memory:");
    RateLimiter drossel(1, 1);
    LeagueSettings settings;
    settings.proxies = proxies;
    League liga(store, drossel, settings);
    int saat = 1;
    const auto von = [&](const char* peer, const char* weiter) {
        Request r = anfrage(code("Hinter_Proxy", 300 + saat, 2, saat), peer);
        ++saat;
        r.peer = a(peer);
        r.forwardedFor = weiter;
        return ersteZeile(liga.handle(r)).rfind("Platz ", 0) == 0;
    };
    EXPECT_TRUE(von("127.0.0.2", "127.0.0.10"));
    EXPECT_TRUE(von("127.0.0.2", "127.0.0.11"));
    EXPECT_FALSE(von("127.0.0.2", "127.0.0.10"));
    // A forged head of the list does not hide the client the proxy saw.
    EXPECT_FALSE(von("127.0.0.2", "127.0.0.12, 127.0.0.10"));
    EXPECT_TRUE(von("127.0.0.2", "127.0.0.10, 127.0.0.12"));
    // Not from a proxy: the peer counts, whatever it claims.
    EXPECT_TRUE(von("127.0.0.20", "127.0.0.30"));
    EXPECT_FALSE(von("127.0.0.20", "127.0.0.31"));
}

TEST(LigaDrossel, CountsPerAddressRefillsAndStaysBounded) {
    RateLimiter drossel(2, 2, 16);
    EXPECT_TRUE(drossel.allow("a", 0));
    EXPECT_TRUE(drossel.allow("a", 0));
    EXPECT_FALSE(drossel.allow("a", 1000));
    EXPECT_TRUE(drossel.allow("b", 1000));
    EXPECT_TRUE(drossel.allow("a", 31000)); // one more every 30 seconds
    EXPECT_FALSE(drossel.allow("a", 31000));
    for (int i = 0; i < 10000; ++i) drossel.allow("k" + std::to_string(i), 40000 + i);
    EXPECT_LE(drossel.size(), 16u);

    // Many addresses free no used-up bucket; what does not fit shares one, until buckets
    // have filled up again.
    RateLimiter voll(1, 3, 4);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(voll.allow("kunde", 0));
    int durch = 0;
    for (int i = 0; i < 1000; ++i) durch += voll.allow("a" + std::to_string(i), 10 + i);
    EXPECT_EQ(durch, 3 + 3); // three own buckets fill the table, then the shared one's three
    EXPECT_FALSE(voll.allow("kunde", 2000));
    EXPECT_TRUE(voll.allow("neu", 200000)); // the others have filled up again and left
    EXPECT_EQ(voll.size(), 1u);
    RateLimiter ohne(0);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(ohne.allow("a", 0));

    // IPv6 clients count by their /64; mapped IPv4 clients as IPv4.
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    inet_pton(AF_INET6, "2001:db8:1:2:aaaa::1", &a.sin6_addr);
    EXPECT_EQ(clientKey(reinterpret_cast<sockaddr*>(&a)), "2001:db8:1:2::/64");
    inet_pton(AF_INET6, "::ffff:192.0.2.7", &a.sin6_addr);
    EXPECT_EQ(clientKey(reinterpret_cast<sockaddr*>(&a)), "192.0.2.7");
}

TEST(LigaAdresse, TakesNumericAddressesWithAPortOnly) {
    const auto v4 = parseListenAddress("127.0.0.1:8080");
    ASSERT_TRUE(v4);
    EXPECT_FALSE(v4->ipv6);
    EXPECT_EQ(addressText(*v4, 8080), "127.0.0.1:8080");
    const auto v6 = parseListenAddress("[::1]:0");
    ASSERT_TRUE(v6);
    EXPECT_TRUE(v6->ipv6);
    EXPECT_EQ(addressText(*v6, 41000), "[::1]:41000");
    for (const char* falsch : {"localhost:8080", "127.0.0.1", "127.0.0.1:", "127.0.0.1:65536",
                               "127.0.0.1:80x", "[::1]", "::1:80", "[127.0.0.1]:80", ""})
        EXPECT_FALSE(parseListenAddress(falsch)) << falsch;
}

} // namespace
