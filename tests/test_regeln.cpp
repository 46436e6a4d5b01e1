// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "stufen.h"
#include "testbrett.h"
#include "zeitrechnung.h"
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <utility>

namespace {

using TOrt = std::pair<int32_t, int32_t>;

std::set<TOrt> offeneZellen(const TSpiel& s) {
    std::set<TOrt> r;
    for (int32_t x = 1; x <= s.breite; ++x)
        for (int32_t y = 1; y <= s.hoehe; ++y)
            if (s.feld.zelle(x, y).offen) r.insert({x, y});
    return r;
}

// What a click on a mine-free (x, y) must open, worked out as a breadth-first search over
// a snapshot: the cell itself, then from every newly opened cell without neighbouring
// mines each covered, unflagged neighbour.
std::set<TOrt> erwarteteFlut(const TSpiel& s, int32_t x, int32_t y) {
    std::set<TOrt> neu{{x, y}};
    std::vector<TOrt> warten{{x, y}};
    while (!warten.empty()) {
        auto [cx, cy] = warten.back();
        warten.pop_back();
        if (minenUmher(s, cx, cy) != 0) continue;
        for (int32_t dx = -1; dx <= 1; ++dx)
            for (int32_t dy = -1; dy <= 1; ++dy) {
                const int32_t nx = cx + dx;
                const int32_t ny = cy + dy;
                if ((dx == 0 && dy == 0) || !s.imFeld(nx, ny)) continue;
                const Tzelle& z = s.feld.zelle(nx, ny);
                if (z.offen || z.markierung == TMarkierung::flagge || neu.count({nx, ny})) continue;
                neu.insert({nx, ny});
                warten.push_back({nx, ny});
            }
    }
    std::set<TOrt> alle = offeneZellen(s);
    alle.insert(neu.begin(), neu.end());
    return alle;
}

TEST(Flut, OpensWhatAnIndependentSearchFindsOnRandomBoards) {
    std::mt19937 rng(4711);
    for (int runde = 0; runde < 200; ++runde) {
        TTestSpiel t;
        TSpiel& s = t.spiel;
        const int32_t b = 8 + static_cast<int32_t>(rng() % 65);
        const int32_t h = 8 + static_cast<int32_t>(rng() % 49);
        t.zufall.setzen(rng());
        s.feldGroesse(b, h, static_cast<int32_t>(rng() % static_cast<uint32_t>(b * h / 6 + 1)));
        // Some flags and question marks in the way; flags must stop the flood.
        TSpielZugang roh(s);
        for (int i = 0; i < 20; ++i) {
            const int32_t x = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(b));
            const int32_t y = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(h));
            roh.feld.zelle(x, y).markierung = static_cast<TMarkierung>(1 + rng() % 2);
        }
        roh.feld.flaggen = 0;
        for (int32_t x = 1; x <= b; ++x)
            for (int32_t y = 1; y <= h; ++y)
                roh.feld.flaggen += s.feld.zelle(x, y).markierung == TMarkierung::flagge;
        // Click mine-free cells until the game ends, each time against the reference.
        for (int klick = 0; klick < 30 && !s.spielEnde; ++klick) {
            const int32_t x = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(b));
            const int32_t y = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(h));
            const Tzelle& z = s.feld.zelle(x, y);
            if (z.mine || z.offen || z.markierung == TMarkierung::flagge) continue;
            const std::set<TOrt> erwartet = erwarteteFlut(s, x, y);
            s.aufdecken(x, y);
            ASSERT_EQ(offeneZellen(s), erwartet) << "round " << runde;
            ASSERT_EQ(brettFehler(s), "") << "round " << runde;
            ASSERT_EQ(s.spielEnde, s.feld.aufgedeckt == s.feld.freieFelder);
        }
    }
}

TEST(Flut, OpensTheWholeLargestMineFreeBoardAndWins) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.stufeAnlegen(stufeBenutzerdefiniert, 72, 56, 0);
    s.aufdecken(36, 28);
    EXPECT_EQ(s.feld.aufgedeckt, 72 * 56);
    EXPECT_TRUE(s.spielEnde);
    EXPECT_TRUE(s.gewonnen);
    EXPECT_EQ(brettFehler(s), "");
}

TEST(Flut, SpreadsThroughQuestionMarksButNotFlags) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    brettLegen(s, {"........", "........", "........", "........", "........", "........",
                   "........", ".......*"});
    TSpielZugang roh(s);
    roh.feld.zelle(4, 1).markierung = TMarkierung::fragezeichen;
    // A wall of flags down column 5 shuts the right part off.
    for (int32_t y = 1; y <= 8; ++y) roh.feld.zelle(5, y).markierung = TMarkierung::flagge;
    roh.feld.flaggen = 8;
    s.aufdecken(1, 1);
    EXPECT_TRUE(s.feld.zelle(4, 1).offen);
    EXPECT_EQ(s.feld.zelle(4, 1).markierung, TMarkierung::fragezeichen); // kept, ignored once open
    for (int32_t y = 1; y <= 8; ++y) {
        EXPECT_FALSE(s.feld.zelle(5, y).offen);
        EXPECT_FALSE(s.feld.zelle(6, y).offen);
    }
    EXPECT_EQ(s.feld.aufgedeckt, 32);
    EXPECT_FALSE(s.spielEnde);
}

TEST(Flut, WinsWhenTheLastFreeCellOpensInTheMiddleOfAFlood) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    TSpielZugang(s).spielstufe = stufeAnfaenger;
    brettLegen(s, {"*.......", "........", "........", "........", "........", "........",
                   "........", "........"});
    t.uhr.tage = 100.0;
    s.aufdecken(8, 8);
    EXPECT_TRUE(s.spielEnde);
    EXPECT_TRUE(s.gewonnen);
    EXPECT_EQ(s.feld.aufgedeckt, 63);
    EXPECT_EQ(s.feld.flaggen, 1);
    EXPECT_EQ(s.feld.explosionX, 0);
    EXPECT_EQ(zehntelAusTagen(s.endZeit), 10); // the one second the clock starts with
    EXPECT_TRUE(s.neuerRekord);
}

TEST(Aufdecken, FirstClickOnAMineMovesItAndKeepsCountsRight) {
    for (uint32_t saat : {1u, 2u, 77u, 123456u, 0xFFFFFFFFu}) {
        TTestSpiel t;
        TSpiel& s = t.spiel;
        brettLegen(s, {"**......", "**......", "........", "........", "........", "........",
                       "........", "........"});
        t.zufall.setzen(saat);
        // Where the mine must go: the first draw pair that hits a mine-free cell.
        TZufall nachbau;
        nachbau.setzen(saat);
        int32_t nx = 0;
        int32_t ny = 0;
        do {
            nx = nachbau.random(8) + 1;
            ny = nachbau.random(8) + 1;
        } while (s.feld.zelle(nx, ny).mine);

        s.aufdecken(1, 1);
        EXPECT_FALSE(s.spielEnde);
        EXPECT_TRUE(s.feld.zelle(1, 1).offen);
        EXPECT_FALSE(s.feld.zelle(1, 1).mine);
        EXPECT_TRUE(s.feld.zelle(nx, ny).mine);
        EXPECT_EQ(t.zufall.stand(), nachbau.stand());
        EXPECT_EQ(s.feld.minen, 4);
        EXPECT_EQ(brettFehler(s), "") << "seed " << saat;
        // The moved cell's own count includes its three neighbouring mines.
        EXPECT_GE(s.feld.zelle(1, 1).nachbarn, 3);
    }
}

TEST(Aufdecken, FirstClickOnASafeCellDrawsNothingAndTheClockShowsOne) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    brettLegen(s, {"*.......", "........", "........", "........", "........", "........",
                   "........", ".......*"});
    t.zufall.setzen(99);
    EXPECT_EQ(taktAnzeige(s), 0);
    s.aufdecken(2, 2);
    EXPECT_EQ(t.zufall.stand(), 99u);
    EXPECT_FALSE(s.feld.ersterKlick);
    EXPECT_EQ(taktAnzeige(s), 1);
    t.uhr.vorstellen(0.4);
    EXPECT_EQ(taktAnzeige(s), 1);
    t.uhr.vorstellen(0.2);
    EXPECT_EQ(taktAnzeige(s), 2);
}

TEST(Aufdecken, AnOpenCellOrOneOffTheBoardChangesNothing) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    brettLegen(s, {"*.......", "*.......", "........", "........", "........", "........",
                   "........", "........"});
    s.aufdecken(2, 1);
    const int32_t vorher = s.feld.aufgedeckt;
    const double start = s.startZeit;
    t.uhr.vorstellen(5);
    s.aufdecken(2, 1);
    s.aufdecken(0, 1);
    s.aufdecken(9, 1);
    s.aufdecken(1, 9);
    EXPECT_EQ(s.feld.aufgedeckt, vorher);
    EXPECT_EQ(s.startZeit, start);
    EXPECT_EQ(brettFehler(s), "");
}

TEST(Aufdecken, AFirstClickOnABoardOfMinesOnlyGoesOff) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    // One mine-free cell: a first click on a mine moves the mine there, and wins.
    s.feldGroesse(8, 8, 63);
    int32_t x = 1;
    while (!s.feld.zelle(x, 1).mine) ++x;
    s.aufdecken(x, 1);
    EXPECT_TRUE(s.feld.zelle(x, 1).offen);
    EXPECT_TRUE(s.spielEnde && s.gewonnen);
    // Nothing but mines, or more asked for than there are cells: no cell to move the mine
    // to, so it goes off.
    for (int32_t n : {64, 65}) {
        s.feldAnlegen(n);
        s.aufdecken(3, 4);
        EXPECT_TRUE(s.spielEnde) << n;
        EXPECT_FALSE(s.gewonnen);
        EXPECT_EQ(s.feld.explosionX, 3);
        EXPECT_EQ(s.feld.explosionY, 4);
        EXPECT_EQ(s.feld.aufgedeckt, 0);
    }
}

TEST(Aufdecken, AMineLosesAndStaysCovered) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    brettLegen(s, {"*.......", "........", "........", "........", "........", "........",
                   "........", ".......*"});
    s.aufdecken(2, 1);
    t.uhr.vorstellen(3);
    s.aufdecken(8, 8);
    EXPECT_TRUE(s.spielEnde);
    EXPECT_FALSE(s.gewonnen);
    EXPECT_FALSE(s.feld.zelle(8, 8).offen);
    EXPECT_EQ(s.feld.explosionX, 8);
    EXPECT_EQ(s.feld.explosionY, 8);
    EXPECT_EQ(sekundenAusTagen(s.endZeit), 4);
    EXPECT_EQ(taktAnzeige(s), 4);
    t.uhr.vorstellen(10);
    EXPECT_EQ(taktAnzeige(s), 4); // frozen
}

// A 3x3 corner with a count of 1 at (2, 2): the mine at (1, 1) or a wrong flag around it.
class Chord : public ::testing::Test {
protected:
    TTestSpiel t;
    TSpiel& s = t.spiel;
    void SetUp() override {
        brettLegen(s, {"*..*....", "........", "........", "........", "........", "........",
                       "........", "........"});
        TSpielZugang roh(s);
        roh.feld.ersterKlick = false;
        roh.feld.zelle(2, 2).offen = true;
        roh.feld.aufgedeckt = 1;
    }
};

TEST_F(Chord, OnARightlyFlaggedCountOpensTheRestAndItsFloodsUpToTheWin) {
    s.markieren(1, 1);
    s.umgebungAufdecken(2, 2);
    EXPECT_TRUE(s.spielEnde);
    EXPECT_TRUE(s.gewonnen);
    EXPECT_EQ(s.feld.aufgedeckt, s.feld.freieFelder);
    EXPECT_TRUE(s.feld.zelle(1, 2).offen);
    EXPECT_TRUE(s.feld.zelle(3, 3).offen);
    EXPECT_FALSE(s.feld.zelle(1, 1).offen);
    EXPECT_EQ(brettFehler(s), "");
}

TEST_F(Chord, WithTooFewOrTooManyFlagsOrOnACoveredCellDoesNothing) {
    s.umgebungAufdecken(2, 2); // no flag
    EXPECT_EQ(s.feld.aufgedeckt, 1);
    s.markieren(1, 1);
    s.markieren(3, 3);
    s.umgebungAufdecken(2, 2); // two flags for a count of 1
    EXPECT_EQ(s.feld.aufgedeckt, 1);
    s.umgebungAufdecken(5, 5); // covered
    EXPECT_EQ(s.feld.aufgedeckt, 1);
    s.umgebungAufdecken(0, 0); // off the board
    EXPECT_FALSE(s.spielEnde);
}

TEST_F(Chord, NextToAWrongFlagLosesAndStillOpensTheOthers) {
    s.markieren(3, 3); // wrong: the mine is at (1, 1)
    s.umgebungAufdecken(2, 2);
    EXPECT_TRUE(s.spielEnde);
    EXPECT_FALSE(s.gewonnen);
    EXPECT_EQ(s.feld.explosionX, 1);
    EXPECT_EQ(s.feld.explosionY, 1);
    // Neighbours after the mine in the order are still uncovered.
    EXPECT_TRUE(s.feld.zelle(3, 1).offen);
    EXPECT_TRUE(s.feld.zelle(1, 3).offen);
    EXPECT_TRUE(s.feld.zelle(2, 3).offen);
    EXPECT_FALSE(s.feld.zelle(3, 3).offen);
    EXPECT_EQ(brettFehler(s), "");
}

TEST(ChordMehrereMinen, TheLastMineInNeighbourOrderIsShownRed) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    // Mines at (1, 1), (3, 1) and (1, 3) around (2, 2); three wrong flags elsewhere.
    brettLegen(s, {"*.*.....", "........", "*.......", "........", "........", "........",
                   "........", "........"});
    TSpielZugang roh(s);
    roh.feld.ersterKlick = false;
    roh.feld.zelle(2, 2).offen = true;
    roh.feld.aufgedeckt = 1;
    s.markieren(1, 2);
    s.markieren(3, 2);
    s.markieren(3, 3);
    roh.startZeit = t.uhr.tage;
    s.umgebungAufdecken(2, 2);
    // Order: (1,1) (1,2) (2,1) (3,1) (1,3) (3,2) (2,3) (3,3): (1, 3) is the last mine.
    EXPECT_TRUE(s.spielEnde);
    EXPECT_EQ(s.feld.explosionX, 1);
    EXPECT_EQ(s.feld.explosionY, 3);
    EXPECT_TRUE(s.feld.zelle(2, 1).offen);
    EXPECT_TRUE(s.feld.zelle(2, 3).offen);
    EXPECT_EQ(brettFehler(s), "");
}

TEST(RekordEntscheidung, ComparesWithTheStoredTimeOfTheLevel) {
    struct Fall {
        int32_t stufe;
        int32_t gespeichert;
        bool rekord;
    };
    // The win comes 12.44 s after the start: 124 tenths.
    for (Fall f : {Fall{1, 125, true}, Fall{1, 124, false}, Fall{1, 123, false}, Fall{1, 0, true},
                   Fall{1, -7, true}, Fall{5, 124, false}, Fall{5, 200, true}, Fall{6, 0, false},
                   Fall{0, 0, false}}) {
        TTestSpiel t;
        TSpiel& s = t.spiel;
        TSpielZugang(s).spielstufe = f.stufe;
        if (f.stufe >= 1 && f.stufe <= 5)
            bestzeitDerStufe(t.bestzeiten, f.stufe).zeit = f.gespeichert;
        brettLegen(s, {"*.......", "........", "........", "........", "........", "........",
                       "........", "........"});
        // Open the two cells next to the mine by hand; (2, 2) then wins with its flood.
        s.aufdecken(2, 1);
        t.uhr.vorstellen(11.44);
        s.aufdecken(1, 2);
        s.aufdecken(8, 8);
        ASSERT_TRUE(s.gewonnen);
        EXPECT_EQ(zehntelAusTagen(s.endZeit), 124);
        EXPECT_EQ(taktAnzeige(s), 12);
        EXPECT_EQ(s.neuerRekord, f.rekord) << "level " << f.stufe << " stored " << f.gespeichert;
    }
}

TEST(Markieren, CyclesWithAndWithoutTheMarksOption) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.feldGroesse(8, 8, 0);
    s.markieren(3, 3);
    EXPECT_EQ(s.feld.zelle(3, 3).markierung, TMarkierung::flagge);
    EXPECT_EQ(s.feld.flaggen, 1);
    s.markieren(3, 3);
    EXPECT_EQ(s.feld.zelle(3, 3).markierung, TMarkierung::keine);
    EXPECT_EQ(s.feld.flaggen, 0);

    s.merker = true;
    s.markieren(3, 3);
    s.markieren(3, 3);
    EXPECT_EQ(s.feld.zelle(3, 3).markierung, TMarkierung::fragezeichen);
    EXPECT_EQ(s.feld.flaggen, 0);
    s.markieren(3, 3);
    EXPECT_EQ(s.feld.zelle(3, 3).markierung, TMarkierung::keine);

    // Switching the option leaves marks alone; only the next removal follows it.
    s.markieren(4, 4);
    s.merker = false;
    EXPECT_EQ(s.feld.zelle(4, 4).markierung, TMarkierung::flagge);
    s.markieren(4, 4);
    EXPECT_EQ(s.feld.zelle(4, 4).markierung, TMarkierung::keine);
    EXPECT_TRUE(s.feld.ersterKlick); // marking never starts the clock
}

TEST(Markieren, OnlyCoveredCellsOnTheBoardOfARunningGame) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    brettLegen(s, {"*.......", "........", "........", "........", "........", "........",
                   "........", ".......*"});
    s.aufdecken(2, 1);
    s.markieren(2, 1); // open
    s.markieren(9, 1); // off the board
    s.markieren(0, 0);
    EXPECT_EQ(s.feld.flaggen, 0);
    EXPECT_EQ(s.feld.zelle(2, 1).markierung, TMarkierung::keine);
    // More flags than mines drive the counter below zero.
    for (int32_t x = 3; x <= 8; ++x) s.markieren(x, 5);
    EXPECT_EQ(s.feld.minen - s.feld.flaggen, -4);
    s.aufdecken(1, 1); // lost
    s.markieren(1, 2);
    EXPECT_EQ(s.feld.zelle(1, 2).markierung, TMarkierung::keine);
}

// A change of the cells or of the game's state that leaves the change count standing would
// leave an old frame on the screen.
bool gleichesFeld(const Tspielfeld& a, const Tspielfeld& b) {
    for (int32_t x = 1; x <= maxBreite; ++x)
        for (int32_t y = 1; y <= maxHoehe; ++y) {
            const Tzelle &p = a.zelle(x, y), &q = b.zelle(x, y);
            if (p.nachbarn != q.nachbarn || p.markierung != q.markierung || p.mine != q.mine ||
                p.offen != q.offen)
                return false;
        }
    return a.minen == b.minen && a.flaggen == b.flaggen && a.explosionX == b.explosionX &&
           a.explosionY == b.explosionY && a.aufgedeckt == b.aufgedeckt &&
           a.ersterKlick == b.ersterKlick;
}

TEST(Invarianten, HoldAfterLongRandomSequencesOfUncoversChordsAndMarks) {
    std::mt19937 rng(20240601);
    for (int runde = 0; runde < 60; ++runde) {
        TTestSpiel t;
        TSpiel& s = t.spiel;
        t.zufall.setzen(rng());
        const int32_t b = 8 + static_cast<int32_t>(rng() % 65);
        const int32_t h = 8 + static_cast<int32_t>(rng() % 49);
        int32_t n = static_cast<int32_t>(rng() % 400);
        int32_t bb = b;
        int32_t hh = h;
        benutzerdefiniertBegrenzen(bb, hh, n);
        const int32_t stufe = 1 + static_cast<int32_t>(rng() % 6);
        s.merker = rng() % 2 == 0;
        s.stufeAnlegen(stufe, b, h, n);
        for (int zug = 0; zug < 400; ++zug) {
            if (s.spielEnde) {
                ASSERT_EQ(brettFehler(s), "");
                s.neuesSpiel();
            }
            const Tspielfeld vorher = s.feld;
            const bool endeVorher = s.spielEnde, gewonnenVorher = s.gewonnen;
            const uint64_t zaehler = s.aenderungen;
            const int32_t x = static_cast<int32_t>(rng() % static_cast<uint32_t>(b + 2));
            const int32_t y = static_cast<int32_t>(rng() % static_cast<uint32_t>(h + 2));
            switch (rng() % 4) {
            case 0:
            case 1:
                if (!s.istGeflaggt(x, y)) s.aufdecken(x, y);
                break;
            case 2:
                s.umgebungAufdecken(x, y);
                break;
            default:
                s.markieren(x, y);
                break;
            }
            if (!gleichesFeld(s.feld, vorher) || s.spielEnde != endeVorher ||
                s.gewonnen != gewonnenVorher) {
                ASSERT_NE(s.aenderungen, zaehler) << zug;
            }
            t.uhr.vorstellen(0.25);
            const uint64_t nachZug = s.aenderungen;
            s.takt(); // the clock going on changes nothing
            ASSERT_EQ(s.aenderungen, nachZug);
            ASSERT_EQ(brettFehler(s), "") << "round " << runde << " move " << zug;
        }
    }
}

} // namespace
