// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// League transfers from the best-times dialog to real HTTP servers on loopback: Python's
// http.server serving a file named rekord.php, and the league server itself. (A closed
// port is tested with the dialog itself.)
#include "highscore.h"
#include "httpcli.h"
#include "league_process.h"
#include "ligacode.h"
#include "loopback.h"
#include "meldung.h"
#include "pg_database.h"
#include "qtanwendung.h"
#include "stream.h"
#include "testuhr.h"
#include "testverzeichnis.h"
#include "zufall.h"

#include <QPushButton>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

bool nimmtAn(int port) {
    const int fd = loopbackVerbinden(port);
    if (fd >= 0) close(fd);
    return fd >= 0;
}

// python3 -m http.server on 127.0.0.1 in a folder of its own; stopped by the destructor.
class TPythonServer {
public:
    explicit TPythonServer(const std::string& rekordPhp) {
        char muster[] = "/tmp/zundel_liga_XXXXXX";
        ordner = mkdtemp(muster);
        std::ofstream(ordner + "/rekord.php", std::ios::binary) << rekordPhp;
        protokoll = ordner + "/protokoll.txt";
        port = freierPort();
        pid = fork();
        if (pid == 0) {
            const std::string p = std::to_string(port);
            freopen(protokoll.c_str(), "w", stderr);
            execlp("python3", "python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                   ordner.c_str(), p.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!nimmtAn(port) && std::chrono::steady_clock::now() < ende)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~TPythonServer() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        std::system(("rm -rf '" + ordner + "'").c_str());
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(port); }
    std::string protokollText() const {
        std::ifstream f(protokoll);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    std::string ordner;
    std::string protokoll;
    int port = 0;
    pid_t pid = -1;
};

// Presses "übertragen" and returns the text of the message box it shows.
QString uebertragen(Thighscore& d) {
    return meldungBei(d, [&] { d.findChild<QPushButton*>("Button4")->click(); });
}

class LigaEndeTest : public ::testing::Test {
protected:
    void SetUp() override {
        qtAnwendung();
        neu.name.setzen("Zundelmeister  ");
        neu.zeit = 87;
    }
    TTestUhr uhr;
    TZufall zufall;
    Thighscore::TEintraege eintraege{};
    Tbestzeit neu;
};

TEST_F(LigaEndeTest, ShowsTheServersFirstLineAndSendsTheCode) {
    TPythonServer server("Rekord eingetragen: Platz 3\r\nzweite Zeile\r\n");
    ASSERT_TRUE(nimmtAn(server.port)) << "python3 -m http.server did not start";
    Thighscore d;
    d.ligaHostSetzen(server.host());
    d.werteGeben(eintraege, neu, 3, zufall, uhr);
    d.werteAnzeigen();

    EXPECT_EQ(uebertragen(d), QString("Rekord eingetragen: Platz 3"));
    EXPECT_FALSE(d.findChild<QPushButton*>("Button4")->isEnabled());
    // The server's log names the request: the league path and a 64-digit code.
    EXPECT_TRUE(
        std::regex_search(server.protokollText(),
                          std::regex("\"GET /rekord\\.php\\?code=[0-9A-F]{64} HTTP/1\\.0\" 200")))
        << server.protokollText();
}

#ifdef ZUNDEL_LIGA_SERVER

// The body of a GET through the game's own HTTP client.
std::string holen(const LeagueProcess& server, const std::string& pfad) {
    THttpCli cli;
    TMemoryStream strom(1 << 20);
    cli.URL = "http://" + server.host() + pfad;
    cli.ReceiveStream = &strom;
    cli.Get();
    return std::string(strom.Data());
}

// What the player sees after "übertragen" in a fresh dialog for a new best time.
QString senden(const LeagueProcess& server, const char* name, int32_t zeit, uint32_t uhrzeit,
               std::string* url = nullptr) {
    TTestUhr uhr;
    uhr.utcMillis = uhrzeit; // the seed of the code's filler and mask
    TZufall zufall;
    Tbestzeit neu;
    neu.name.setzen(name);
    neu.zeit = zeit;
    Thighscore d;
    d.ligaHostSetzen(server.host());
    d.werteGeben(Thighscore::TEintraege{}, neu, 1, zufall, uhr);
    const QString gezeigt = uebertragen(d);
    if (url) *url = d.uebertragungsURL;
    return gezeigt;
}

TEST_F(LigaEndeTest, TheLeagueServerRanksEveryNameOnceAndRefusesForgedCodes) {
    TTestVerzeichnis ordner;
    LeagueProcess server(ordner.datei("liga.db"));
    ASSERT_NE(server.port, 0) << "the league server did not start";

    std::string ersteUrl;
    EXPECT_EQ(senden(server, "Zundelmeister  ", 87, 1000, &ersteUrl),
              QString("Platz 1 von 1 in der Spielstufe Anfänger."));
    EXPECT_EQ(senden(server, "Blitz_Birgit   ", 55, 2000),
              QString("Platz 1 von 2 in der Spielstufe Anfänger."));

    // One character of a genuine code changed: refused, and nothing is stored.
    TZufall zufall;
    std::string code =
        getcode("Faelscher_Fritz", 10, 1, [&](int32_t n) { return zufall.random(n); });
    code[40] = code[40] == '0' ? '1' : '0';
    const std::string antwort = holen(server, "/rekord.php?code=" + code);
    EXPECT_EQ(antwort.rfind("Nicht eingetragen: ", 0), 0u) << antwort;

    // The same best time sent again brings the same code: counted once, placed as before.
    std::string zweiteUrl;
    EXPECT_EQ(senden(server, "Zundelmeister  ", 87, 1000, &zweiteUrl),
              QString("Diese Zeit ist schon eingetragen: Platz 2 von 2 in der Spielstufe "
                      "Anfänger."));
    EXPECT_EQ(zweiteUrl, ersteUrl);

    const std::string seite = holen(server, "/");
    const std::size_t birgit = seite.find("Blitz_Birgit");
    const std::size_t meister = seite.find("Zundelmeister");
    EXPECT_NE(birgit, std::string::npos) << seite;
    EXPECT_NE(meister, std::string::npos);
    EXPECT_LT(birgit, meister);
    EXPECT_NE(seite.find("5,5 Sekunden"), std::string::npos);
    EXPECT_NE(seite.find("8,7 Sekunden"), std::string::npos);
    EXPECT_EQ(seite.find("Faelscher"), std::string::npos);
    // Once on the board; the name also stands in its link and among this week's leaders.
    const std::string reihe = ".</td><td class=\"name\"><a href=\"spieler/Zundelmeister\">";
    EXPECT_EQ(seite.find(reihe, seite.find(reihe) + 1), std::string::npos);
}

std::string ligacode(const std::string& name, int32_t zeit, uint32_t saat) {
    TZufall zufall;
    zufall.setzen(saat);
    std::string gepolstert = name;
    gepolstert.resize(15, ' ');
    return getcode(gepolstert, zeit, 1, [&](int32_t n) { return zufall.random(n); });
}

TEST_F(LigaEndeTest, TwoServersOnOneDatabaseShowOneLeagueAndOutliveTheDatabasesRestart) {
    PgDatabase datenbank;
    if (!datenbank.missing.empty()) {
        if (PgDatabase::required()) FAIL() << datenbank.missing;
        GTEST_SKIP() << datenbank.missing;
    }
    LeagueProcess a(datenbank.conninfo, {"--limit", "0"});
    LeagueProcess b(datenbank.conninfo, {"--limit", "0"});
    ASSERT_NE(a.port, 0) << "the first league server did not start";
    ASSERT_NE(b.port, 0) << "the second league server did not start";

    EXPECT_EQ(senden(a, "Erster_Anton   ", 87, 1000),
              QString("Platz 1 von 1 in der Spielstufe Anfänger."));
    EXPECT_EQ(senden(b, "Blitz_Birgit   ", 55, 2000),
              QString("Platz 1 von 2 in der Spielstufe Anfänger."));

    // The same code to both at once: one stores it, the other finds it stored.
    for (int i = 0; i < 5; ++i) {
        const std::string code = ligacode("Doppelt_" + std::to_string(i), 60 + i, 77 + i);
        std::string vonB;
        std::thread neben([&] { vonB = loopbackGet(b.port, "/rekord.php?code=" + code); });
        const std::string vonA = holen(a, "/rekord.php?code=" + code);
        neben.join();
        vonB = vonB.substr(vonB.find("\r\n\r\n") + 4);
        const int neu = (vonA.rfind("Platz ", 0) == 0) + (vonB.rfind("Platz ", 0) == 0);
        const int schonDa = (vonA.rfind("Diese Zeit ist schon eingetragen: ", 0) == 0) +
                            (vonB.rfind("Diese Zeit ist schon eingetragen: ", 0) == 0);
        EXPECT_EQ(neu, 1) << vonA << vonB;
        EXPECT_EQ(schonDa, 1) << vonA << vonB;
    }

    // Each page lists what the other server stored, and at the place that one answered.
    EXPECT_EQ(senden(a, "Dritte_Dora    ", 58, 3000),
              QString("Platz 2 von 8 in der Spielstufe Anfänger."));
    const std::string seiteA = holen(a, "/");
    const std::string seiteB = holen(b, "/");
    EXPECT_NE(seiteA.find("Blitz_Birgit"), std::string::npos);
    EXPECT_NE(seiteB.find("Erster_Anton"), std::string::npos);
    EXPECT_NE(seiteB.find("<td class=\"platz\">2.</td><td class=\"name\"><a "
                          "href=\"spieler/Dritte_Dora\">Dritte_Dora</a></td>"),
              std::string::npos)
        << seiteB;
    const std::string doppelt = ".</td><td class=\"name\"><a href=\"spieler/Doppelt_3\">";
    EXPECT_NE(seiteB.find(doppelt), std::string::npos);
    EXPECT_EQ(seiteB.find(doppelt, seiteB.find(doppelt) + 1), std::string::npos);
    EXPECT_EQ(seiteA, seiteB);

    // The database goes away: the time waits in the server's spool, the page is a 503;
    // nothing hangs, nothing crashes.
    ASSERT_TRUE(PgDatabase::server("stop"));
    EXPECT_EQ(senden(a, "Waehrenddessen ", 70, 4000),
              QString("Ihre Zeit ist angekommen und wird eingetragen, sobald die Liga wieder "
                      "speichern kann."));
    EXPECT_EQ(loopbackGet(b.port, "/").find(" 503 "), 8u);
    ASSERT_TRUE(PgDatabase::server("start"));

    // Back again, the spooled time is entered and both servers rank without a restart; b
    // finds its old connections gone.
    const auto bis = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (holen(b, "/").find("Waehrenddessen") == std::string::npos &&
           std::chrono::steady_clock::now() < bis)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(senden(b, "Danach_Berta   ", 50, 5000),
              QString("Platz 1 von 10 in der Spielstufe Anfänger."));
    EXPECT_EQ(senden(a, "Waehrenddessen ", 70, 4000),
              QString("Diese Zeit ist schon eingetragen: Platz 9 von 10 in der Spielstufe "
                      "Anfänger."));
    EXPECT_NE(holen(a, "/").find("Danach_Berta"), std::string::npos);
}

#endif

} // namespace
