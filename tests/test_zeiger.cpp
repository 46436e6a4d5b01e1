// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "stufen.h"
#include "testbrett.h"
#include "zeiger.h"
#include <gtest/gtest.h>

namespace {

// Mines at (1, 1) and (8, 8); the pointer starts over the cell (3, 3), which has no
// neighbouring mine, and (2, 2), which has one.
class Zeiger : public ::testing::Test {
protected:
    TTestSpiel t;
    TSpiel& s = t.spiel;
    TZeiger z;
    void SetUp() override {
        TSpielZugang(s).spielstufe = stufeBenutzerdefiniert;
        brettLegen(s, {"*.......", "........", "........", "........", "........", "........",
                       "........", ".......*"});
        ueber(2, 2);
    }
    void ueber(int32_t x, int32_t y) {
        z.mausX = x;
        z.mausY = y;
        z.ueberFeld = true;
        z.ueberGesicht = false;
    }
    void klick(int taste) {
        mausGedrueckt(s, z, taste);
        mausLosgelassen(s, z, taste);
    }
};

TEST_F(Zeiger, AMoveSetsPositionAndHitFlagsOnly) {
    z.linksUnten = z.rechtsUnten = z.mitteUnten = z.gesichtGedrueckt = z.einzelKlick = true;
    mausBewegt(z, TZeigerOrt{4, -1, false, true});
    EXPECT_TRUE(z.ueberGesicht);
    EXPECT_FALSE(z.ueberFeld);
    EXPECT_EQ(z.mausX, 4);
    EXPECT_EQ(z.mausY, -1);
    EXPECT_TRUE(z.linksUnten && z.rechtsUnten && z.mitteUnten && z.gesichtGedrueckt &&
                z.einzelKlick);
    // Start-up ends a press under way, not what the buttons hold.
    zeigerBereit(z);
    EXPECT_FALSE(z.gesichtGedrueckt || z.einzelKlick);
    EXPECT_TRUE(z.linksUnten && z.rechtsUnten && z.mitteUnten);
}

TEST_F(Zeiger, ALeftClickUncoversAtTheRelease) {
    mausGedrueckt(s, z, mbLinks);
    EXPECT_TRUE(z.linksUnten);
    EXPECT_TRUE(z.einzelKlick);
    EXPECT_EQ(s.feld.aufgedeckt, 0);
    ueber(2, 1); // released over another cell: that one opens
    mausLosgelassen(s, z, mbLinks);
    EXPECT_TRUE(s.feld.zelle(2, 1).offen);
    EXPECT_EQ(s.feld.aufgedeckt, 1);
    EXPECT_FALSE(s.feld.zelle(2, 2).offen);
    EXPECT_FALSE(z.linksUnten);
    EXPECT_FALSE(z.einzelKlick);
}

TEST_F(Zeiger, ReleasingOutsideTheFieldOrOnAFlagUncoversNothing) {
    mausGedrueckt(s, z, mbLinks);
    z.ueberFeld = false;
    mausLosgelassen(s, z, mbLinks);
    EXPECT_EQ(s.feld.aufgedeckt, 0);
    ueber(2, 2);
    klick(mbRechts);
    ASSERT_EQ(s.feld.zelle(2, 2).markierung, TMarkierung::flagge);
    klick(mbLinks);
    EXPECT_EQ(s.feld.aufgedeckt, 0);
    // A question-marked cell does open.
    s.merker = true;
    klick(mbRechts);
    ASSERT_EQ(s.feld.zelle(2, 2).markierung, TMarkierung::fragezeichen);
    klick(mbLinks);
    EXPECT_TRUE(s.feld.zelle(2, 2).offen);
}

TEST_F(Zeiger, TheRightButtonMarksOnThePressAndOnlyCoveredCells) {
    mausGedrueckt(s, z, mbRechts);
    EXPECT_EQ(s.feld.zelle(2, 2).markierung, TMarkierung::flagge);
    EXPECT_TRUE(z.rechtsUnten);
    mausLosgelassen(s, z, mbRechts);
    EXPECT_EQ(s.feld.zelle(2, 2).markierung, TMarkierung::flagge);
    klick(mbRechts);
    EXPECT_EQ(s.feld.zelle(2, 2).markierung, TMarkierung::keine);

    ueber(2, 1);
    klick(mbLinks);
    klick(mbRechts); // open
    EXPECT_EQ(s.feld.zelle(2, 1).markierung, TMarkierung::keine);
    z.ueberFeld = false;
    z.mausX = 5;
    klick(mbRechts); // outside
    EXPECT_EQ(s.feld.zelle(5, 1).markierung, TMarkierung::keine);
    EXPECT_EQ(s.feld.flaggen, 0);
}

TEST_F(Zeiger, AfterTheGameIsOverTheRightButtonIsNotEvenTracked) {
    ueber(1, 1);
    TSpielZugang(s).feld.ersterKlick = false; // no rescue: the click loses
    klick(mbLinks);
    ASSERT_TRUE(s.spielEnde);
    ueber(3, 3);
    mausGedrueckt(s, z, mbRechts);
    EXPECT_FALSE(z.rechtsUnten);
    EXPECT_EQ(s.feld.zelle(3, 3).markierung, TMarkierung::keine);
    mausLosgelassen(s, z, mbRechts);
    klick(mbLinks);
    EXPECT_FALSE(s.feld.zelle(3, 3).offen);
}

TEST_F(Zeiger, LeftThenRightThenReleasesChordsOnceAndUncoversNothingElse) {
    ueber(2, 1);
    klick(mbLinks);
    ueber(1, 2);
    klick(mbLinks);
    ueber(1, 1);
    klick(mbRechts); // flag on the mine
    ueber(2, 2);
    const int32_t vorher = s.feld.aufgedeckt;
    mausGedrueckt(s, z, mbLinks);
    mausGedrueckt(s, z, mbRechts); // no mark while the left button is held
    EXPECT_EQ(s.feld.zelle(2, 2).markierung, TMarkierung::keine);
    EXPECT_FALSE(z.einzelKlick);
    mausLosgelassen(s, z, mbLinks);
    // (2, 2) is covered, so the chord does nothing and no single uncover happens.
    EXPECT_EQ(s.feld.aufgedeckt, vorher);
    mausLosgelassen(s, z, mbRechts);
    EXPECT_EQ(s.feld.aufgedeckt, vorher);

    // On an uncovered count with its flag the chord opens the rest, at the first release.
    ueber(2, 1);
    mausGedrueckt(s, z, mbRechts);
    mausGedrueckt(s, z, mbLinks);
    EXPECT_FALSE(z.einzelKlick);
    mausLosgelassen(s, z, mbRechts);
    EXPECT_TRUE(s.feld.zelle(2, 2).offen);
    EXPECT_TRUE(s.spielEnde && s.gewonnen);
}

TEST_F(Zeiger, AMiddleClickChordsOnItsRelease) {
    ueber(2, 1);
    klick(mbLinks);
    ueber(1, 1);
    klick(mbRechts);
    ueber(2, 1);
    mausGedrueckt(s, z, mbMitte);
    EXPECT_TRUE(z.mitteUnten);
    EXPECT_FALSE(s.feld.zelle(3, 1).offen);
    mausLosgelassen(s, z, mbMitte);
    EXPECT_FALSE(z.mitteUnten);
    EXPECT_TRUE(s.feld.zelle(3, 1).offen);
}

TEST_F(Zeiger, TheFaceRestartsOnlyWhenPressAndReleaseAreOnIt) {
    ueber(3, 3);
    klick(mbLinks);
    ASSERT_GT(s.feld.aufgedeckt, 0);
    z.ueberFeld = false;
    z.ueberGesicht = true;
    mausGedrueckt(s, z, mbLinks);
    EXPECT_TRUE(z.gesichtGedrueckt);
    z.ueberGesicht = false; // slid off
    mausLosgelassen(s, z, mbLinks);
    EXPECT_FALSE(z.gesichtGedrueckt);
    EXPECT_GT(s.feld.aufgedeckt, 0);

    z.ueberGesicht = true;
    mausGedrueckt(s, z, mbLinks);
    z.ueberGesicht = false;
    z.ueberGesicht = true; // and back on
    mausLosgelassen(s, z, mbLinks);
    EXPECT_EQ(s.feld.aufgedeckt, 0);
    EXPECT_TRUE(s.feld.ersterKlick);
    EXPECT_EQ(s.feld.minen, 2);
}

TEST_F(Zeiger, APressThatBeganOnTheFaceUncoversNoCell) {
    z.ueberGesicht = true;
    z.ueberFeld = false;
    mausGedrueckt(s, z, mbLinks);
    ueber(3, 3);
    mausLosgelassen(s, z, mbLinks);
    EXPECT_EQ(s.feld.aufgedeckt, 0);
}

TEST_F(Zeiger, AStalePointerOffASmallerBoardTouchesNothing) {
    ueber(40, 30); // left over from a larger board
    klick(mbLinks);
    klick(mbRechts);
    klick(mbMitte);
    EXPECT_EQ(brettFehler(s), "");
    EXPECT_EQ(s.feld.aufgedeckt, 0);
}

} // namespace
