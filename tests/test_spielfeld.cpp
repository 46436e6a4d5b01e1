// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "testbrett.h"
#include <gtest/gtest.h>
#include <set>
#include <type_traits>
#include <utility>

namespace {

// Outside the engine the game state reads as fields but does not take writes.
static_assert(!std::is_assignable_v<decltype((std::declval<TSpiel&>().feld.flaggen)), int32_t>);
static_assert(!std::is_assignable_v<decltype((std::declval<TSpiel&>().spielEnde)), bool>);
static_assert(std::is_assignable_v<decltype((std::declval<TSpiel&>().merker)), bool>);

TEST(Spielfeld, StorageIsColumnFirstWithTheRowVaryingFastest) {
    static_assert(sizeof(Tzelle) == 8);
    Tspielfeld f{};
    EXPECT_EQ(&f.zelle(1, 2) - &f.zelle(1, 1), 1);
    EXPECT_EQ(&f.zelle(2, 1) - &f.zelle(1, 1), maxHoehe);
    EXPECT_EQ(&f.zelle(72, 56) - &f.zelle(1, 1), 72 * 56 - 1);
}

TEST(Spielfeld, ImFeldTestsTheCurrentSizeNotTheStorage) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.feldGroesse(10, 9, 0);
    EXPECT_FALSE(s.imFeld(0, 1));
    EXPECT_FALSE(s.imFeld(1, 0));
    EXPECT_FALSE(s.imFeld(11, 1));
    EXPECT_FALSE(s.imFeld(1, 10));
    EXPECT_TRUE(s.imFeld(10, 9));
    EXPECT_TRUE(s.imFeld(1, 1));
}

TEST(Spielfeld, CountsStayOnTheBoard) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.feldGroesse(8, 8, 0);
    TSpielZugang roh(s);
    roh.nachbarPlus(9, 1);
    roh.nachbarPlus(0, 0);
    roh.nachbarMinus(1, 9);
    EXPECT_EQ(s.feld.zelle(9, 1).nachbarn, 0);
    EXPECT_EQ(s.feld.zelle(1, 9).nachbarn, 0);
    roh.nachbarPlus(8, 8);
    roh.nachbarPlus(8, 8);
    roh.nachbarMinus(8, 8);
    EXPECT_EQ(s.feld.zelle(8, 8).nachbarn, 1);
}

TEST(Spielfeld, FlagsAreCountedAroundCornersEdgesAndNotWhenOpen) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.feldGroesse(8, 8, 0);
    for (int32_t x = 1; x <= 8; ++x)
        for (int32_t y = 1; y <= 8; ++y) s.markieren(x, y);
    EXPECT_EQ(s.flaggenZaehlen(1, 1), 3);
    EXPECT_EQ(s.flaggenZaehlen(8, 8), 3);
    EXPECT_EQ(s.flaggenZaehlen(4, 1), 5);
    EXPECT_EQ(s.flaggenZaehlen(1, 5), 5);
    EXPECT_EQ(s.flaggenZaehlen(4, 4), 8);
    EXPECT_FALSE(s.istGeflaggt(9, 1));
    // A flag counts only on a covered cell.
    TSpielZugang roh(s);
    roh.feld.zelle(3, 3).offen = true;
    EXPECT_FALSE(s.istGeflaggt(3, 3));
    EXPECT_EQ(s.flaggenZaehlen(4, 4), 7);
    roh.feld.zelle(5, 5).markierung = TMarkierung::fragezeichen;
    EXPECT_EQ(s.flaggenZaehlen(4, 4), 6);
}

TEST(FeldGroesse, ClampsTheSizeAndPassesTheMineCountOn) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.feldGroesse(5, 100, 12);
    EXPECT_EQ(s.breite, 8);
    EXPECT_EQ(s.hoehe, 56);
    EXPECT_EQ(s.feld.minen, 12);
    s.feldGroesse(100, 3, 20);
    EXPECT_EQ(s.breite, 72);
    EXPECT_EQ(s.hoehe, 8);
    EXPECT_EQ(s.feld.freieFelder, 72 * 8 - 20);
    EXPECT_EQ(brettFehler(s), "");
}

TEST(FeldAnlegen, LaysTheMinesTheGeneratorNamesColumnFirst) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.feldGroesse(9, 8, 0);
    t.zufall.setzen(2024);
    TZufall nachbau;
    nachbau.setzen(2024);
    std::set<std::pair<int32_t, int32_t>> erwartet;
    while (erwartet.size() < 30) {
        const int32_t x = nachbau.random(9) + 1;
        const int32_t y = nachbau.random(8) + 1;
        erwartet.insert({x, y}); // a draw onto a mine is repeated without counting
    }
    s.feldAnlegen(30);
    std::set<std::pair<int32_t, int32_t>> gelegt;
    for (int32_t x = 1; x <= 9; ++x)
        for (int32_t y = 1; y <= 8; ++y)
            if (s.feld.zelle(x, y).mine) gelegt.insert({x, y});
    EXPECT_EQ(gelegt, erwartet);
    EXPECT_EQ(t.zufall.stand(), nachbau.stand());
    EXPECT_EQ(brettFehler(s), "");
}

TEST(FeldAnlegen, ClearsTheWholeStorageAndResetsTheGame) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    t.zufall.setzen(3);
    s.feldGroesse(72, 56, 999);
    s.markieren(1, 1);
    TSpielZugang roh(s);
    roh.spielEnde = true;
    roh.feld.explosionX = 5;
    s.feldGroesse(8, 8, 10);
    EXPECT_EQ(brettFehler(s), ""); // includes: cells outside the board are cleared
    EXPECT_EQ(s.feld.flaggen, 0);
    EXPECT_EQ(s.feld.aufgedeckt, 0);
    EXPECT_TRUE(s.feld.ersterKlick);
    EXPECT_FALSE(s.spielEnde);
    EXPECT_EQ(s.feld.explosionX, 5); // left alone, read again only after it is set
    s.feldAnlegen(0);
    EXPECT_EQ(s.feld.minen, 0);
    EXPECT_EQ(s.feld.freieFelder, 64);
}

TEST(FeldAnlegen, MoreMinesThanCellsDoesNotHang) {
    TTestSpiel t;
    TSpiel& s = t.spiel;
    s.feldGroesse(8, 8, 64);
    EXPECT_EQ(brettFehler(s), "");
    s.feldAnlegen(65);
    EXPECT_EQ(s.feld.minen, 65);
}

} // namespace
