// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "stufen.h"
#include "testbrett.h"
#include "uhr.h"
#include "zeitrechnung.h"
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(Zeitrechnung, RoundsToTheNearestWithTiesToEven) {
    // Spans of 2^-8 and 2^-9 days give exact halves: 337.5 s, 1012.5 s, 1687.5 and 5062.5
    // tenths.
    const double t8 = std::ldexp(1.0, -8);
    const double t9 = std::ldexp(1.0, -9);
    EXPECT_EQ(sekundenAusTagen(t8), 338);
    EXPECT_EQ(sekundenAusTagen(3 * t8), 1012);
    EXPECT_EQ(sekundenAusTagen(-3 * t8), -1012);
    EXPECT_EQ(zehntelAusTagen(t9), 1688);
    EXPECT_EQ(zehntelAusTagen(3 * t9), 5062);
    EXPECT_EQ(zehntelAusTagen(12.44 / 86400), 124);
    EXPECT_EQ(sekundenAusTagen(12.44 / 86400), 12);
    EXPECT_EQ(sekundenAusTagen(12.5001 / 86400), 13);
    EXPECT_EQ(zehntelAusTagen(1234.5 / 86400), 12345);
}

TEST(Zeitrechnung, HoldsResultsInside32Bits) {
    EXPECT_EQ(sekundenAusTagen(1e12), 2147483647);
    EXPECT_EQ(zehntelAusTagen(-1e12), -2147483647 - 1);
    EXPECT_EQ(zehntelAusTagen(std::nan("")), 0);
}

TEST(Uhr, CivilDatesCountFrom1899December30) {
    EXPECT_EQ(tageAusDatum(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_EQ(tageAusDatum(1900, 1, 1, 0, 0, 0, 0), 2.0);
    EXPECT_EQ(tageAusDatum(1970, 1, 1, 0, 0, 0, 0), 25569.0);
    EXPECT_EQ(tageAusDatum(2000, 3, 1, 0, 0, 0, 0), 36586.0); // after a leap day
    EXPECT_EQ(tageAusDatum(2024, 2, 29, 12, 0, 0, 0), 45351.5);
    EXPECT_DOUBLE_EQ(tageAusDatum(2024, 1, 1, 6, 0, 0, 500), 45292.25 + 0.5 / 86400);
}

TEST(Uhr, SystemClockReadsTodayWithMilliseconds) {
    TSystemUhr uhr;
    const double jetzt = uhr.jetzt();
    const auto sekunden = std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    // Local time is within a day of universal time.
    EXPECT_NEAR(jetzt, 25569.0 + static_cast<double>(sekunden) / 86400.0, 1.0);
    EXPECT_LT(uhr.utcTagesMillisekunden(), 86400000u);
    // Millisecond resolution: 50 ms later reads 50 ms later, not 0 or 1000.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double ms = (uhr.jetzt() - jetzt) * 86400000.0;
    EXPECT_GE(ms, 45.0);
    EXPECT_LT(ms, 900.0);
}

TEST(Takt, ShowsZeroUntilTheFirstUncoverThenTheSecondsUpTo999) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    brettLegen(s, {"*.......", "*.......", "........", "........", "........", "........",
                   "........", "........"});
    t.uhr.vorstellen(30);
    EXPECT_EQ(taktAnzeige(s), 0);
    s.markieren(1, 1); // marks do not start the clock
    EXPECT_EQ(taktAnzeige(s), 0);
    s.aufdecken(2, 1);
    EXPECT_EQ(taktAnzeige(s), 1);
    t.uhr.vorstellen(997.4);
    EXPECT_EQ(taktAnzeige(s), 998);
    t.uhr.vorstellen(5000);
    EXPECT_EQ(taktAnzeige(s), 999);
    EXPECT_EQ(s.letzteZeit, t.uhr.tage);
}

TEST(Takt, TheFullTimeIsStoredWhileTheClockStopsAt999) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    brettLegen(s, {"*.......", "........", "........", "........", "........", "........",
                   "........", "........"});
    TSpielZugang(s).spielstufe = stufeBenutzerdefiniert;
    s.aufdecken(2, 1);
    t.uhr.vorstellen(1233.5);
    s.aufdecken(1, 2);
    s.aufdecken(8, 8);
    ASSERT_TRUE(s.gewonnen);
    EXPECT_EQ(zehntelAusTagen(s.endZeit), 12345);
    EXPECT_EQ(taktAnzeige(s), 999);
}

TEST(Takt, AClockSetBackLaysANewBoardWhateverTheState) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    t.zufall.setzen(5);
    s.feldGroesse(8, 8, 10);
    for (int32_t x = 1; x <= 8 && s.feld.ersterKlick; ++x)
        for (int32_t y = 1; y <= 8 && s.feld.ersterKlick; ++y)
            if (s.feld.zelle(x, y).nachbarn == 0 && !s.feld.zelle(x, y).mine) s.aufdecken(x, y);
    ASSERT_FALSE(s.feld.ersterKlick);
    EXPECT_GE(taktAnzeige(s), 1);
    t.uhr.vorstellen(10);
    EXPECT_EQ(taktAnzeige(s), 11);
    t.uhr.vorstellen(-0.001);
    EXPECT_EQ(taktAnzeige(s), 0);
    EXPECT_TRUE(s.feld.ersterKlick);
    EXPECT_EQ(s.feld.aufgedeckt, 0);
    EXPECT_EQ(s.feld.minen, 10);
    EXPECT_EQ(brettFehler(s), "");
    // Forward only makes a running clock jump.
    s.aufdecken(1, 1);
    if (!s.spielEnde) {
        t.uhr.vorstellen(100);
        EXPECT_EQ(taktAnzeige(s), 101);
    }
}

} // namespace
