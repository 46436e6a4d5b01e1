// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Games played on the main window with mouse events, checked on the composed frames.
#include "form1hilfe.h"
#include "katalog.h"
#include "testbrett.h"

#include <QPushButton>

namespace {

using Spielen = FensterTest;

// Mines in two corners of the 8 x 8 board: everything else opens by flooding.
const std::vector<std::string> zweiEcken = {
    "*.......", "........", "........", "........", "........", "........", "........", ".......*",
};

int32_t zelleSprite(const TForm1& f, int32_t x, int32_t y) {
    for (int32_t s = 0; s < spriteAnzahl; ++s)
        if (steht(f, s, zellPos(x, y))) return s;
    return -1;
}

TEST_F(Spielen, AWholeGameToAWinShowsEachStepOnTheFrame) {
    TForm1& f = starten();
    f.zufall.setzen(20240611u);
    f.Neu1Click(nullptr);
    bild(f);
    for (int32_t x = 1; x <= 8; ++x)
        for (int32_t y = 1; y <= 8; ++y) ASSERT_EQ(zelleSprite(f, x, y), spriteGrauHoch);
    EXPECT_TRUE(steht(f, spriteSmile1, gesichtPos(8)));
    EXPECT_TRUE(steht(f, spriteZiffer0, zeitStellePos(8, 2)));
    EXPECT_TRUE(steht(f, 1, minenStellePos(1))); // 10 mines: "010"
    EXPECT_TRUE(steht(f, 0, minenStellePos(2)));

    klicken(f, 4, 4);
    ASSERT_FALSE(f.spiel.spielEnde);
    uhr.vorstellen(5.0);
    bild(f);
    // The start lies one second before the first uncover.
    EXPECT_TRUE(steht(f, 6, zeitStellePos(8, 2)));
    for (int32_t x = 1; x <= 8; ++x)
        for (int32_t y = 1; y <= 8; ++y) {
            const Tzelle& z = f.spiel.feld.zelle(x, y);
            EXPECT_EQ(zelleSprite(f, x, y), z.offen ? spriteNull + z.nachbarn : spriteGrauHoch)
                << x << "," << y;
        }

    // A flag on a mine shows, and counts down the mine counter.
    int32_t mx = 0, my = 0;
    for (int32_t x = 1; x <= 8 && !mx; ++x)
        for (int32_t y = 1; y <= 8 && !mx; ++y)
            if (f.spiel.feld.zelle(x, y).mine) mx = x, my = y;
    klicken(f, mx, my, Qt::RightButton);
    bild(f);
    EXPECT_EQ(zelleSprite(f, mx, my), spriteFlagge);
    EXPECT_TRUE(steht(f, 9, minenStellePos(2)));

    gewinnen(f);
    ASSERT_TRUE(f.spiel.spielEnde);
    ASSERT_TRUE(f.spiel.gewonnen);
    ASSERT_TRUE(f.spiel.neuerRekord); // no best time stood yet

    bool gefragt = false;
    beiModal<QDialog>([&](QDialog* name) {
        gefragt = true;
        // Behind the dialog the won board stands, and no frames are drawn.
        EXPECT_TRUE(steht(f, spriteSmile4, gesichtPos(8)));
        EXPECT_TRUE(steht(f, 0, minenStellePos(2)));
        EXPECT_EQ(zelleSprite(f, mx, my), spriteFlagge);
        EXPECT_FALSE(f.DXTimer1->Enabled());
        beiModal<QDialog>([](QDialog* bestzeiten) {
            EXPECT_EQ(bestzeiten->windowTitle(), QString("Bestzeiten"));
            bestzeiten->findChild<QPushButton*>("Button1")->click();
        });
        name->findChild<QPushButton*>("Button1")->click();
    });
    bild(f);
    EXPECT_TRUE(gefragt);
    EXPECT_TRUE(f.DXTimer1->Enabled());
    EXPECT_FALSE(f.spiel.neuerRekord);
}

TEST_F(Spielen, AGameToALossShowsTheMineThatWentOff) {
    TForm1& f = starten();
    // (2,2) is walled in by mines and numbers: the flood cannot reach it.
    brettLegen(f.spiel, {"**......", "*.*.....", "........", "........", "........", "........",
                         "........", ".......*"});
    klicken(f, 5, 5);
    ASSERT_FALSE(f.spiel.spielEnde);
    EXPECT_FALSE(f.spiel.feld.zelle(2, 2).offen);
    EXPECT_TRUE(f.spiel.feld.zelle(8, 1).offen);
    bild(f);
    EXPECT_EQ(zelleSprite(f, 2, 2), spriteGrauHoch);
    EXPECT_EQ(zelleSprite(f, 8, 1), spriteNull);
    EXPECT_EQ(zelleSprite(f, 7, 7), spriteEins);

    klicken(f, 8, 8);
    EXPECT_TRUE(f.spiel.spielEnde);
    EXPECT_FALSE(f.spiel.gewonnen);
    bild(f);
    EXPECT_EQ(zelleSprite(f, 8, 8), spriteRoteMine);
    EXPECT_EQ(zelleSprite(f, 1, 1), spriteGraueMine);
    EXPECT_EQ(zelleSprite(f, 3, 2), spriteGraueMine);
    EXPECT_EQ(zelleSprite(f, 2, 2), spriteGrauHoch);
    EXPECT_TRUE(steht(f, spriteSmile2, gesichtPos(8)));

    // Once over, the field takes no clicks; the face still starts a new game.
    const int32_t offen = f.spiel.feld.aufgedeckt;
    klicken(f, 1, 1, Qt::RightButton);
    EXPECT_EQ(f.spiel.feld.zelle(1, 1).markierung, TMarkierung::keine);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, offen);
    const QPoint gesicht(8 * 8 + 10, 27);
    bewegen(f, gesicht);
    druecken(f, gesicht, Qt::LeftButton);
    loslassen(f, gesicht, Qt::LeftButton);
    EXPECT_FALSE(f.spiel.spielEnde);
    EXPECT_TRUE(f.spiel.feld.ersterKlick);
}

TEST_F(Spielen, BothButtonsChordOnceAtTheFirstRelease) {
    TForm1& f = starten();
    brettLegen(f.spiel, zweiEcken);
    klicken(f, 2, 2); // a 1: opens only itself
    ASSERT_EQ(f.spiel.feld.aufgedeckt, 1);
    klicken(f, 1, 1, Qt::RightButton);
    ASSERT_EQ(f.spiel.feld.zelle(1, 1).markierung, TMarkierung::flagge);

    const QPoint p = zellMitte(2, 2);
    bewegen(f, p);
    druecken(f, p, Qt::LeftButton);
    druecken(f, p, Qt::RightButton);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 1);
    loslassen(f, p, Qt::LeftButton);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 62); // chord, then the flood: won
    EXPECT_TRUE(f.spiel.gewonnen);
    loslassen(f, p, Qt::RightButton);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 62);
    EXPECT_EQ(f.spiel.feld.zelle(1, 1).markierung, TMarkierung::flagge);
}

TEST_F(Spielen, ChordPreviewPressesTheBlockAndMiddleButtonChords) {
    TForm1& f = starten();
    brettLegen(f.spiel, zweiEcken);
    const QPoint p = zellMitte(5, 5);
    bewegen(f, p);
    druecken(f, p, Qt::MiddleButton);
    bild(f);
    for (int32_t x = 3; x <= 7; ++x)
        for (int32_t y = 3; y <= 7; ++y) {
            const bool imBlock = x >= 4 && x <= 6 && y >= 4 && y <= 6;
            EXPECT_EQ(zelleSprite(f, x, y), imBlock ? spriteNull : spriteGrauHoch) << x << "," << y;
        }
    loslassen(f, p, Qt::MiddleButton);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 0); // a covered cell does not chord

    klicken(f, 2, 2);
    klicken(f, 1, 1, Qt::RightButton);
    const QPoint q = zellMitte(2, 2);
    bewegen(f, q);
    druecken(f, q, Qt::MiddleButton);
    loslassen(f, q, Qt::MiddleButton);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 62);
}

TEST_F(Spielen, LeftPressShowsThePressedCellAndTheSurprisedFace) {
    TForm1& f = starten();
    brettLegen(f.spiel, zweiEcken);
    const QPoint p = zellMitte(3, 6);
    bewegen(f, p);
    druecken(f, p, Qt::LeftButton);
    bild(f);
    EXPECT_EQ(zelleSprite(f, 3, 6), spriteNull);
    EXPECT_EQ(zelleSprite(f, 3, 5), spriteGrauHoch);
    EXPECT_TRUE(steht(f, spriteSmile3, gesichtPos(8)));
    // Released over another cell: that one is uncovered.
    const QPoint q = zellMitte(2, 2);
    bewegen(f, q);
    loslassen(f, q, Qt::LeftButton);
    EXPECT_TRUE(f.spiel.feld.zelle(2, 2).offen);
    EXPECT_FALSE(f.spiel.feld.zelle(3, 6).offen);
}

TEST_F(Spielen, FaceButtonPressedSlidOffAndBack) {
    TForm1& f = starten();
    brettLegen(f.spiel, zweiEcken);
    klicken(f, 2, 2);
    ASSERT_EQ(f.spiel.feld.aufgedeckt, 1);
    const QPoint gesicht(8 * 8 + 10, 27);
    const QPoint daneben(8 * 8 + 10, 60);

    bewegen(f, gesicht);
    druecken(f, gesicht, Qt::LeftButton);
    bild(f);
    EXPECT_TRUE(steht(f, spriteSmile5, gesichtPos(8)));
    bewegen(f, daneben);
    bild(f);
    EXPECT_TRUE(steht(f, spriteSmile1, gesichtPos(8)));
    EXPECT_EQ(zelleSprite(f, 3, 1), spriteGrauHoch); // no cell pressed meanwhile
    loslassen(f, daneben, Qt::LeftButton);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 1); // slid off: no new game, nothing uncovered

    bewegen(f, gesicht);
    druecken(f, gesicht, Qt::LeftButton);
    bewegen(f, daneben);
    bewegen(f, gesicht);
    loslassen(f, gesicht, Qt::LeftButton);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 0);
    EXPECT_TRUE(f.spiel.feld.ersterKlick);
}

TEST_F(Spielen, LevelFiveShowsItsBannerAndTheWinPicture) {
    TForm1& f = starten();
    f.N2Click(nullptr);
    bild(f);
    const Surface& s = f.DXDraw1->BackSurface();
    ASSERT_EQ(s.width(), 664);
    // The banner's first opaque pixel in its top row, wherever that is, must be drawn.
    const Surface& banner = f.DXImageList1->Items(spriteWahn2).surface;
    int32_t gleich = 0, deckend = 0;
    for (int32_t y = 0; y < banner.height(); ++y)
        for (int32_t x = 0; x < banner.width(); ++x) {
            if (banner.pixel(x, y) == spriteTransparenzFarbe) continue;
            ++deckend;
            gleich += s.pixel(100 + x, 10 + y) == banner.pixel(x, y) ? 1 : 0;
        }
    EXPECT_GT(deckend, 0);
    EXPECT_EQ(gleich, deckend);
}

TEST_F(Spielen, AClockSetBackLaysANewBoardAtTheNextTick) {
    TForm1& f = starten();
    brettLegen(f.spiel, zweiEcken);
    klicken(f, 2, 2);
    uhr.vorstellen(30.0);
    bild(f);
    EXPECT_TRUE(steht(f, 3, zeitStellePos(8, 1))); // 31 s
    EXPECT_TRUE(steht(f, 1, zeitStellePos(8, 2)));
    uhr.vorstellen(-0.5);
    bild(f);
    EXPECT_TRUE(f.spiel.feld.ersterKlick);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 0);
    EXPECT_TRUE(steht(f, 0, zeitStellePos(8, 2)));
}

TEST_F(Spielen, TheRunningTimerDrawsAndHandsOverARecord) {
    TForm1& f = starten();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.DXTimer1->SetEnabled(true);
    brettLegen(f.spiel, zweiEcken);
    klicken(f, 4, 4);
    ASSERT_TRUE(f.spiel.gewonnen);

    bool gefragt = false;
    beiModal<QDialog>([&](QDialog* name) {
        gefragt = true;
        EXPECT_FALSE(f.DXTimer1->Enabled());
        beiModal<QDialog>([&](QDialog* bestzeiten) {
            // Frames go on behind the best-times dialog.
            EXPECT_TRUE(f.DXTimer1->Enabled());
            bestzeiten->findChild<QPushButton*>("Button1")->click();
        });
        name->findChild<QPushButton*>("Button1")->click();
    });
    for (int i = 0; i < 200 && f.einstellungen.bestzeit(1).leer(); ++i) QTest::qWait(10);
    EXPECT_TRUE(gefragt);
    EXPECT_EQ(f.einstellungen.bestzeit(1).name.text(), std::string("Unbekannt      "));
    EXPECT_EQ(f.einstellungen.bestzeit(1).zeit, 10);
    EXPECT_TRUE(steht(f, spriteSmile4, gesichtPos(8)));
}

} // namespace
