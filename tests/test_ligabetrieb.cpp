// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// An operator's commands against two running league servers on one database: what the
// pages, the feeds, the players and the servers' logs see of them.
#include "ligacode.h"
#include "ligaprozess.h"
#include "loopback.h"
#include "pgdatenbank.h"
#include "testverzeichnis.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <thread>

namespace {

std::string code(const char* name, int32_t zeit, int32_t stufe, int32_t saat) {
    return getcode(name, zeit, stufe, [&saat](int32_t n) { return saat++ % n; });
}

std::string koerper(const std::string& antwort) {
    const std::size_t ende = antwort.find("\r\n\r\n");
    return ende == std::string::npos ? std::string() : antwort.substr(ende + 4);
}

std::string datei(const std::string& pfad) {
    std::ifstream f(pfad);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void betreiben(const std::string& db, const std::string& ordner) {
    TLigaProzess a(db, {"--limit", "0"}, ordner + "/a.log");
    TLigaProzess b(db, {"--limit", "0"}, ordner + "/b.log");
    ASSERT_NE(a.port, 0) << "the first league server did not start";
    ASSERT_NE(b.port, 0) << "the second league server did not start";
    const auto senden = [&](const std::string& c) {
        const std::string k = koerper(loopbackGet(a.port, "/rekord.php?code=" + c));
        return k.substr(0, k.find("\r\n"));
    };
    const auto befehl = [&](std::vector<std::string> argumente) {
        argumente.insert(argumente.begin() + 1, {"--db", db});
        return ligaBefehl(argumente);
    };
    const auto zeigen = [&](const std::string& name) {
        // Every change counts from the next read of either server, page and feed alike.
        const bool seite = koerper(loopbackGet(b.port, "/")).find(name) != std::string::npos;
        const bool feed =
            koerper(loopbackGet(a.port, "/liga.json")).find(name) != std::string::npos;
        EXPECT_EQ(seite, feed) << name;
        return seite;
    };

    const std::string rudi = code("Ruepel_Rudi", 300, 3, 1);
    const std::string berndSchnell = code("Brav_Bernd", 320, 3, 2);
    const std::string fee = code("Flinke_Fee", 100, 3, 3);
    EXPECT_EQ(senden(rudi), "Platz 1 von 1 in der Spielstufe Profis.");
    EXPECT_EQ(senden(code("Brav_Bernd", 350, 3, 4)), "Platz 2 von 2 in der Spielstufe Profis.");
    EXPECT_EQ(senden(berndSchnell), "Platz 2 von 2 in der Spielstufe Profis.");
    // Faster than anyone has been on such a board: held.
    EXPECT_EQ(senden(fee), "Ihre Zeit wird gepr\xFC"
                           "ft und erscheint nach der Freigabe in der Liga.");
    EXPECT_FALSE(zeigen("Flinke_Fee"));

    const TLigaBefehl gehalten = befehl({"entries", "--held"});
    EXPECT_EQ(gehalten.status, 0);
    EXPECT_TRUE(
        std::regex_match(gehalten.ausgabe, std::regex(fee + "  Flinke_Fee +Profis +10,0 Sekunden  "
                                                            "[0-9]{2}\\.[0-9]{2}\\.[0-9]{4} "
                                                            "[0-9]{2}:[0-9]{2}:[0-9]{2}  held\n")))
        << gehalten.ausgabe;
    const TLigaBefehl alle = befehl({"entries"});
    EXPECT_EQ(std::count(alle.ausgabe.begin(), alle.ausgabe.end(), '\n'), 4) << alle.ausgabe;

    EXPECT_EQ(befehl({"ban", "Ruepel_Rudi"}).status, 0);
    EXPECT_FALSE(zeigen("Ruepel_Rudi"));
    EXPECT_EQ(senden(code("Ruepel_Rudi", 290, 3, 5)),
              "Nicht eingetragen: Dieser Name ist in der Liga gesperrt.");
    EXPECT_NE(befehl({"entries", "--name", "Ruepel_Rudi"}).ausgabe.find("ranked, barred\n"),
              std::string::npos);
    EXPECT_EQ(befehl({"unban", "Ruepel_Rudi"}).status, 0);
    EXPECT_TRUE(zeigen("Ruepel_Rudi"));
    EXPECT_EQ(
        befehl({"entries", "--name", "Ruepel_Rudi"}).ausgabe.find(code("Ruepel_Rudi", 290, 3, 5)),
        std::string::npos);

    // Bernd's best goes; his next best shows.
    EXPECT_TRUE(zeigen("32,0 Sekunden"));
    EXPECT_EQ(befehl({"remove", berndSchnell}).status, 0);
    EXPECT_FALSE(zeigen("32,0 Sekunden"));
    EXPECT_TRUE(zeigen("35,0 Sekunden"));

    EXPECT_EQ(befehl({"approve", fee}).status, 0);
    EXPECT_TRUE(zeigen("Flinke_Fee"));
    EXPECT_EQ(befehl({"approve", fee}).status, 1);         // held no more
    EXPECT_EQ(befehl({"remove", berndSchnell}).status, 1); // gone already

    // Each server logged each change once, one line each.
    const std::string erwartet[] = {"ban Ruepel_Rudi\n", "unban Ruepel_Rudi\n",
                                    "remove " + berndSchnell + "\n", "approve " + fee + "\n"};
    for (const std::string& log : {ordner + "/a.log", ordner + "/b.log"}) {
        const auto bis = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (datei(log).find(erwartet[3]) == std::string::npos &&
               std::chrono::steady_clock::now() < bis)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string text = datei(log);
        std::size_t bei = 0;
        for (const std::string& zeile : erwartet) {
            bei = text.find(" UTC " + zeile, bei);
            ASSERT_NE(bei, std::string::npos) << zeile << " in " << text;
        }
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
    }
}

TEST(LigaBetrieb, AnOperatorBansRemovesAndApprovesWhileTwoServersRunOnAFile) {
    TTestVerzeichnis ordner;
    betreiben(ordner.datei("liga.db"), ordner.datei(""));
}

TEST(LigaBetrieb, AnOperatorBansRemovesAndApprovesWhileTwoServersRunOnPostgreSQL) {
    TPgDatenbank datenbank;
    if (!datenbank.fehlt.empty()) {
        if (TPgDatenbank::pflicht()) FAIL() << datenbank.fehlt;
        GTEST_SKIP() << datenbank.fehlt;
    }
    TTestVerzeichnis ordner;
    betreiben(datenbank.verbindung, ordner.datei(""));
}

} // namespace
