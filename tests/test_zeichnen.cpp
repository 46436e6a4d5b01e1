// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bestzeit.h"
#include "bildentscheidung.h"
#include "drawlog.h"
#include "katalog.h"
#include "layout.h"
#include "spiel.h"
#include "spielzugang.h"
#include "spriteliste.h"
#include "spritesteht.h"
#include "stufen.h"
#include "testuhr.h"
#include "zeichnen.h"
#include "zeiger.h"
#include "zufall.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using TBilder = std::array<TPictureCollectionItem, spriteAnzahl>;

// Stand-in sprites of the catalogue's sizes whose every pixel names the sprite and its
// place in it: 0x(i+1)yyxx, never black and never the key. The two transparent ones
// have key pixels on every third diagonal.
TBilder musterBilder() {
    TBilder b;
    for (int32_t i = 0; i < spriteAnzahl; ++i) {
        const TSpriteEintrag& e = spriteKatalog[static_cast<std::size_t>(i)];
        TPictureCollectionItem& item = b[static_cast<std::size_t>(i)];
        item.Name = e.name;
        item.Transparent = e.transparent;
        item.TransparentColor = spriteTransparenzFarbe;
        item.surface.resize(e.breite, e.hoehe);
        for (int32_t y = 0; y < e.hoehe; ++y) {
            for (int32_t x = 0; x < e.breite; ++x) {
                const bool loch = e.transparent && (x + y) % 3 == 0;
                item.surface.setPixel(x, y,
                                      loch ? spriteTransparenzFarbe
                                           : (static_cast<uint32_t>(i + 1) << 16) | (y << 8) | x);
            }
        }
    }
    return b;
}

const TBilder& bilder() {
    static const TBilder b = musterBilder();
    return b;
}

// The sprite index whose pixel (0, 0) stands at p, read back from the pattern.
int32_t welchesSprite(const Surface& f, TPunkt p) {
    return static_cast<int32_t>(f.pixel(p.x, p.y) >> 16) - 1;
}

::testing::AssertionResult steht(const Surface& f, int32_t index, TPunkt p,
                                 TAusnahme ausnahme = {}) {
    // Clipped to the frame: the win overlay of a small board reaches beyond it.
    if (spriteSteht(f, bilder()[static_cast<std::size_t>(index)], p, ausnahme))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sprite " << index << " expected at (" << p.x << ", "
                                         << p.y << "), found " << welchesSprite(f, p);
}

class Zeichnen : public ::testing::Test {
protected:
    TZufall zufall;
    TTestUhr uhr;
    TBestzeiten bestzeiten{};
    std::unique_ptr<TSpiel> spielPtr = std::make_unique<TSpiel>(zufall, uhr, bestzeiten);
    TSpiel& spiel = *spielPtr;
    TSpielZugang roh{spiel};
    TZeiger zeiger;
    Surface frame;

    // A covered, unmarked board of W x H with m mines noted (none laid), level `stufe`.
    void brett(int32_t W, int32_t H, int32_t stufe = stufeBenutzerdefiniert) {
        roh.breite = W;
        roh.hoehe = H;
        roh.spielstufe = stufe;
        roh.spielEnde = false;
        roh.gewonnen = false;
        for (auto& spalte : roh.feld.zellen) {
            for (auto& c : spalte) c = Tzelle{0, TMarkierung::keine, false, false};
        }
        roh.feld.minen = 10;
        roh.feld.flaggen = 0;
        roh.feld.explosionX = 0;
        roh.feld.explosionY = 0;
        frame.resize(clientBreite(W), clientHoehe(H));
    }
    Tzelle& zelle(int32_t x, int32_t y) { return roh.feld.zelle(x, y); }

    void malen(int32_t t = 0) {
        FillSurface(&frame, 0);
        zeichnen(&frame, bilder(), spiel, zeiger, t);
    }
    int32_t gesicht() const { return welchesSprite(frame, gesichtPos(spiel.breite)); }
    int32_t zelleZeigt(int32_t x, int32_t y) const { return welchesSprite(frame, zellPos(x, y)); }
    // The three places of a counter, hundreds first, as sprite indices.
    std::string minenZaehler() const {
        std::string s;
        for (int32_t k = 0; k < 3; ++k) {
            const int32_t i = welchesSprite(frame, minenStellePos(k));
            s += i == spriteMinus ? '-' : static_cast<char>('0' + i);
        }
        return s;
    }
    std::string zeitZaehler() const {
        std::string s;
        for (int32_t k = 0; k < 3; ++k) {
            s += static_cast<char>('0' + welchesSprite(frame, zeitStellePos(spiel.breite, k)));
        }
        return s;
    }
    // Pointer over cell (x, y) of the field.
    void zeigerAuf(int32_t x, int32_t y) {
        const TPunkt p = zellPos(x, y);
        mausBewegt(zeiger, zeigerOrt(spiel.breite, spiel.hoehe, p.x + 5, p.y + 5));
    }
};

bool ohneSchwarz(const Surface& f) {
    for (int32_t y = 0; y < f.height(); ++y) {
        for (int32_t x = 0; x < f.width(); ++x) {
            if (f.pixel(x, y) == 0) return false;
        }
    }
    return true;
}

} // namespace

TEST_F(Zeichnen, FramePiecesForSeveralBoardSizes) {
    for (const auto& [W, H] :
         {std::pair{8, 8}, std::pair{30, 16}, std::pair{72, 56}, std::pair{8, 56}}) {
        brett(W, H);
        malen();
        // The counters and the face cover rows 15 to 40 of the upper strip.
        const TAusnahme band{0, 15, W * 16 + 23, 40};
        for (int32_t i = 1; i <= W; ++i) {
            EXPECT_TRUE(steht(frame, spriteMo, obenPos(i), band))
                << W << "x" << H << " column " << i;
            EXPECT_TRUE(steht(frame, spriteMu, untenPos(i, H))) << W << "x" << H;
        }
        for (int32_t j = 1; j <= H; ++j) {
            EXPECT_TRUE(steht(frame, spriteLi, linksPos(j))) << W << "x" << H << " row " << j;
            EXPECT_TRUE(steht(frame, spriteRe, rechtsPos(W, j))) << W << "x" << H;
        }
        EXPECT_TRUE(steht(frame, spriteLo, TPunkt{0, 0}, band));
        EXPECT_TRUE(steht(frame, spriteRo, TPunkt{W * 16 + 12, 0}, band));
        EXPECT_TRUE(steht(frame, spriteLu, TPunkt{0, H * 16 + 55}));
        EXPECT_TRUE(steht(frame, spriteRu, TPunkt{W * 16 + 12, H * 16 + 55}));
        // the boxes' rims around the three places
        EXPECT_TRUE(steht(frame, spriteAnz, TPunkt{16, 15}, TAusnahme{17, 16, 55, 38}));
        EXPECT_TRUE(steht(frame, spriteAnz, TPunkt{W * 16 - 35, 15},
                          TAusnahme{W * 16 - 34, 16, W * 16 + 4, 38}));
        EXPECT_EQ(zelleZeigt(W, H), spriteGrauHoch);
        EXPECT_TRUE(ohneSchwarz(frame)) << W << "x" << H;
    }
}

TEST_F(Zeichnen, NoBlackLeftInLevelFiveFramesEither) {
    brett(40, 30, stufeWahnsinn);
    malen(123);
    EXPECT_TRUE(ohneSchwarz(frame));
    roh.spielEnde = roh.gewonnen = true;
    malen(999);
    EXPECT_TRUE(ohneSchwarz(frame));
}

TEST_F(Zeichnen, CountersShowThreePlacesWithLeadingZeros) {
    brett(16, 16);
    const std::pair<int32_t, const char*> minen[] = {{7, "007"},    {10, "010"},  {-5, "-05"},
                                                     {-123, "-23"}, {999, "999"}, {0, "000"},
                                                     {1234, "234"}};
    for (const auto& [m, soll] : minen) {
        roh.feld.minen = 1000;
        roh.feld.flaggen = 1000 - m;
        malen();
        EXPECT_EQ(minenZaehler(), soll) << m;
    }
    // Counts no game reaches still give digits, not a stray sprite or an overflow.
    roh.feld.minen = -1;
    roh.feld.flaggen = INT32_MAX;
    malen();
    EXPECT_EQ(minenZaehler(), "-48"); // 2147483648
    roh.feld.minen = INT32_MAX;
    roh.feld.flaggen = INT32_MIN;
    malen();
    EXPECT_EQ(minenZaehler(), "295"); // 4294967295
    const std::pair<int32_t, const char*> zeiten[] = {
        {0, "000"}, {7, "007"}, {10, "010"}, {305, "305"}, {999, "999"}};
    for (const auto& [t, soll] : zeiten) {
        malen(t);
        EXPECT_EQ(zeitZaehler(), soll) << t;
    }
    // A caller that forgets the cap still gets a clock that stops at 999, not a stray sprite.
    malen(5000);
    EXPECT_EQ(zeitZaehler(), "999");
    malen(-3);
    EXPECT_EQ(zeitZaehler(), "000");
    // the time counter's places sit on its box of the right width
    EXPECT_TRUE(steht(frame, 0, zeitStellePos(16, 0)));
    EXPECT_TRUE(steht(frame, 0, TPunkt{16 * 16 - 8, 16}));
}

TEST_F(Zeichnen, FaceThroughPressSlideOffAndBack) {
    brett(8, 8);
    malen();
    EXPECT_EQ(gesicht(), spriteSmile1);
    EXPECT_TRUE(steht(frame, spriteSmile1, TPunkt{63, 15}));

    mausBewegt(zeiger, zeigerOrt(8, 8, 70, 20));
    zeiger.linksUnten = zeiger.einzelKlick = zeiger.gesichtGedrueckt = true;
    malen();
    EXPECT_EQ(gesicht(), spriteSmile5);
    mausBewegt(zeiger, zeigerOrt(8, 8, 87, 20)); // the picture's last columns are off the button
    malen();
    EXPECT_EQ(gesicht(), spriteSmile1);
    mausBewegt(zeiger, zeigerOrt(8, 8, 86, 20));
    malen();
    EXPECT_EQ(gesicht(), spriteSmile5);

    // left held on the field
    zeiger.gesichtGedrueckt = false;
    zeigerAuf(3, 3);
    malen();
    EXPECT_EQ(gesicht(), spriteSmile3);
    zeiger.linksUnten = false;
    zeiger.gesichtGedrueckt = true; // stale flag without a press: not held, so normal
    zeiger.ueberGesicht = false;
    malen();
    EXPECT_EQ(gesicht(), spriteSmile1);
    zeiger.gesichtGedrueckt = false;
}

TEST_F(Zeichnen, FaceAtTheEndOfTheGame) {
    brett(30, 16);
    roh.spielEnde = true;
    for (bool gewonnen : {true, false}) {
        roh.gewonnen = gewonnen;
        const int32_t ende = gewonnen ? spriteSmile4 : spriteSmile2;
        zeiger = TZeiger{};
        malen();
        EXPECT_EQ(gesicht(), ende);
        zeiger.linksUnten = true; // held elsewhere: still the end face
        zeigerAuf(2, 2);
        malen();
        EXPECT_EQ(gesicht(), ende);
        mausBewegt(zeiger, zeigerOrt(30, 16, 30 * 8 + 5, 20));
        zeiger.gesichtGedrueckt = true;
        malen();
        EXPECT_EQ(gesicht(), spriteSmile5);
        EXPECT_TRUE(steht(frame, spriteSmile5, gesichtPos(30)));
        mausBewegt(zeiger, zeigerOrt(30, 16, 30 * 8 + 30, 20));
        malen();
        EXPECT_EQ(gesicht(), ende);
    }
}

TEST_F(Zeichnen, CellTableWhileRunning) {
    brett(12, 8);
    for (int32_t n = 0; n <= 8; ++n) {
        zelle(n + 1, 1).offen = true;
        zelle(n + 1, 1).nachbarn = n;
        zelle(n + 1, 1).markierung = static_cast<TMarkierung>(n % 3); // marks of open cells ignored
    }
    zelle(1, 2).markierung = TMarkierung::flagge;
    zelle(2, 2).markierung = TMarkierung::fragezeichen;
    zelle(3, 2).mine = true; // a hidden mine looks covered
    zelle(4, 2).mine = true;
    zelle(4, 2).markierung = TMarkierung::fragezeichen;
    malen();
    for (int32_t n = 0; n <= 8; ++n) {
        EXPECT_TRUE(steht(frame, spriteNull + n, zellPos(n + 1, 1))) << n;
    }
    EXPECT_EQ(zelleZeigt(1, 2), spriteFlagge);
    EXPECT_EQ(zelleZeigt(2, 2), spriteFrageHoch);
    EXPECT_EQ(zelleZeigt(3, 2), spriteGrauHoch);
    EXPECT_EQ(zelleZeigt(4, 2), spriteFrageHoch);
    EXPECT_EQ(zelleZeigt(12, 8), spriteGrauHoch);
}

TEST_F(Zeichnen, CellTableAfterALoss) {
    brett(8, 8);
    roh.spielEnde = true;
    auto mine = [&](int32_t x, int32_t y, TMarkierung mark) {
        zelle(x, y).mine = true;
        zelle(x, y).markierung = mark;
    };
    mine(1, 1, TMarkierung::keine);
    roh.feld.explosionX = 1;
    roh.feld.explosionY = 1;
    mine(2, 1, TMarkierung::flagge); // flagged mine
    mine(3, 1, TMarkierung::keine);
    mine(4, 1, TMarkierung::fragezeichen);        // question-marked mine
    zelle(5, 1).markierung = TMarkierung::flagge; // wrong flag
    zelle(6, 1).markierung = TMarkierung::fragezeichen;
    zelle(7, 1).offen = true;
    zelle(7, 1).nachbarn = 3;
    malen();
    EXPECT_EQ(zelleZeigt(1, 1), spriteRoteMine);
    EXPECT_EQ(zelleZeigt(2, 1), spriteFlagge);
    EXPECT_EQ(zelleZeigt(3, 1), spriteGraueMine);
    EXPECT_EQ(zelleZeigt(4, 1), spriteGraueMine);
    EXPECT_EQ(zelleZeigt(5, 1), spriteRotesKreuz);
    EXPECT_EQ(zelleZeigt(6, 1), spriteGrauHoch);
    EXPECT_EQ(zelleZeigt(7, 1), spriteDrei);
    EXPECT_EQ(zelleZeigt(8, 1), spriteGrauHoch);
    EXPECT_TRUE(steht(frame, spriteRotesKreuz, TPunkt{76, 55}));
    // the red mine is the explosion cell only, even where a flag was on it
    zelle(1, 1).markierung = TMarkierung::flagge;
    malen();
    EXPECT_EQ(zelleZeigt(1, 1), spriteRoteMine);
}

TEST_F(Zeichnen, CellTableAfterAWin) {
    brett(8, 8);
    roh.spielEnde = roh.gewonnen = true;
    zelle(1, 1).mine = true;
    zelle(2, 1).mine = true;
    zelle(2, 1).markierung = TMarkierung::fragezeichen;
    zelle(3, 1).markierung = TMarkierung::flagge;
    zelle(4, 1).offen = true;
    zelle(4, 1).nachbarn = 8;
    roh.feld.explosionX = 1; // ignored after a win
    roh.feld.explosionY = 1;
    malen();
    EXPECT_EQ(zelleZeigt(1, 1), spriteFlagge);
    EXPECT_EQ(zelleZeigt(2, 1), spriteFlagge);
    EXPECT_EQ(zelleZeigt(3, 1), spriteFlagge);
    EXPECT_EQ(zelleZeigt(4, 1), spriteAcht);
    EXPECT_EQ(zelleZeigt(5, 5), spriteFlagge);
}

TEST_F(Zeichnen, SingleCellPressPreview) {
    brett(8, 8);
    zelle(2, 2).markierung = TMarkierung::fragezeichen;
    zelle(3, 3).markierung = TMarkierung::flagge;
    zelle(4, 4).offen = true;
    zelle(4, 4).nachbarn = 2;
    zeiger.linksUnten = zeiger.einzelKlick = true;
    const std::pair<TPunkt, int32_t> faelle[] = {{{1, 1}, spriteNull},
                                                 {{2, 2}, spriteFrageTief},
                                                 {{3, 3}, spriteFlagge},
                                                 {{4, 4}, spriteZwei}};
    for (const auto& [c, soll] : faelle) {
        zeigerAuf(c.x, c.y);
        malen();
        EXPECT_EQ(zelleZeigt(c.x, c.y), soll) << c.x;
        EXPECT_EQ(zelleZeigt(c.x + 1, c.y), spriteGrauHoch); // only the one cell
        EXPECT_EQ(gesicht(), spriteSmile3);
    }

    // Each missing condition takes the preview away.
    zeigerAuf(1, 1);
    auto ohne = [&](auto aendern) {
        TZeiger gemerkt = zeiger;
        const bool ende = spiel.spielEnde;
        aendern();
        malen();
        const int32_t s = zelleZeigt(1, 1);
        zeiger = gemerkt;
        roh.spielEnde = ende;
        return s;
    };
    EXPECT_EQ(ohne([] {}), spriteNull);
    EXPECT_EQ(ohne([&] { zeiger.einzelKlick = false; }), spriteGrauHoch);
    EXPECT_EQ(ohne([&] { zeiger.gesichtGedrueckt = true; }), spriteGrauHoch);
    EXPECT_EQ(ohne([&] { zeiger.ueberFeld = false; }), spriteGrauHoch);
    EXPECT_EQ(ohne([&] { zeiger.linksUnten = false; }), spriteGrauHoch);
    EXPECT_EQ(ohne([&] { roh.spielEnde = true; }), spriteGrauHoch);
    // with the right button too, the chord preview takes over: the neighbour is pressed
    EXPECT_EQ(ohne([&] {
                  zeiger.rechtsUnten = true;
                  malen();
                  EXPECT_EQ(zelleZeigt(2, 1), spriteNull);
              }),
              spriteNull);
}

TEST_F(Zeichnen, ChordPressPreviewAtTheCorners) {
    brett(16, 16);
    zelle(2, 1).markierung = TMarkierung::flagge;
    zelle(1, 2).markierung = TMarkierung::fragezeichen;
    zelle(2, 2).offen = true;
    zelle(2, 2).nachbarn = 1;
    zelle(15, 15).markierung = TMarkierung::fragezeichen;
    for (int32_t weise = 0; weise < 2; ++weise) {
        zeiger = TZeiger{};
        if (weise == 0)
            zeiger.linksUnten = zeiger.rechtsUnten = true;
        else
            zeiger.mitteUnten = true;

        zeigerAuf(1, 1);
        malen();
        EXPECT_EQ(zelleZeigt(1, 1), spriteNull);
        EXPECT_EQ(zelleZeigt(2, 1), spriteFlagge);
        EXPECT_EQ(zelleZeigt(1, 2), spriteFrageTief);
        EXPECT_EQ(zelleZeigt(2, 2), spriteEins);
        EXPECT_EQ(zelleZeigt(3, 1), spriteGrauHoch);
        EXPECT_EQ(zelleZeigt(1, 3), spriteGrauHoch);
        // nothing spilled onto the frame around the corner
        EXPECT_TRUE(steht(frame, spriteLo, TPunkt{0, 0}, TAusnahme{0, 15, 99, 40}));
        EXPECT_TRUE(steht(frame, spriteMo, obenPos(1), TAusnahme{0, 15, 99, 40}));
        EXPECT_TRUE(steht(frame, spriteLi, linksPos(1)));

        zeigerAuf(16, 16);
        malen();
        EXPECT_EQ(zelleZeigt(16, 16), spriteNull);
        EXPECT_EQ(zelleZeigt(15, 16), spriteNull);
        EXPECT_EQ(zelleZeigt(16, 15), spriteNull);
        EXPECT_EQ(zelleZeigt(15, 15), spriteFrageTief);
        EXPECT_EQ(zelleZeigt(14, 16), spriteGrauHoch);
        EXPECT_TRUE(steht(frame, spriteRu, untenRechtsPos(16, 16)));
        EXPECT_TRUE(steht(frame, spriteRe, rechtsPos(16, 16)));
        EXPECT_TRUE(steht(frame, spriteMu, untenPos(16, 16)));

        roh.spielEnde = true;
        malen();
        EXPECT_EQ(zelleZeigt(16, 16), spriteGrauHoch);
        roh.spielEnde = false;
        zeiger.gesichtGedrueckt = true;
        malen();
        EXPECT_EQ(zelleZeigt(16, 16), spriteGrauHoch);
    }
}

TEST_F(Zeichnen, PressOnACellOffTheBoardDrawsNothing) {
    // The pointer state of a larger board, before the first move on the new one.
    brett(8, 8);
    zeiger.ueberFeld = true;
    zeiger.mausX = 3;
    zeiger.mausY = 9;
    zeiger.linksUnten = zeiger.einzelKlick = true;
    malen();
    EXPECT_TRUE(steht(frame, spriteMu, untenPos(3, 8)));
    zeiger.einzelKlick = false;
    zeiger.mitteUnten = true;
    zeiger.mausY = 10;
    malen();
    EXPECT_TRUE(steht(frame, spriteMu, untenPos(3, 8)));
    EXPECT_EQ(zelleZeigt(3, 8), spriteGrauHoch);
}

TEST_F(Zeichnen, BannerInEveryFrameOfLevelFive) {
    brett(40, 30, stufeWahnsinn);
    malen();
    EXPECT_TRUE(steht(frame, spriteWahn2, TPunkt{100, 10}));
    EXPECT_FALSE(steht(frame, spriteWahnsinn, TPunkt{236, 201}));
    roh.spielEnde = true; // lost
    malen();
    EXPECT_TRUE(steht(frame, spriteWahn2, TPunkt{100, 10}));
    EXPECT_FALSE(steht(frame, spriteWahnsinn, TPunkt{236, 201}));
    for (int32_t stufe : {stufeAnfaenger, stufeFortgeschrittene, stufeProfis, stufeAlptraum,
                          stufeBenutzerdefiniert}) {
        roh.spielstufe = stufe;
        roh.gewonnen = true;
        malen();
        EXPECT_FALSE(steht(frame, spriteWahn2, TPunkt{100, 10})) << stufe;
        EXPECT_FALSE(steht(frame, spriteWahnsinn, TPunkt{236, 201})) << stufe;
    }
}

TEST_F(Zeichnen, WinOverlayIsCentredAndSeeThrough) {
    // The same won board as a custom level: no level-5 pictures, only what lies beneath.
    brett(40, 30, stufeBenutzerdefiniert);
    roh.spielEnde = roh.gewonnen = true;
    zelle(20, 20).offen = true;
    zelle(20, 20).nachbarn = 4;
    malen();
    const Surface darunter = frame;

    roh.spielstufe = stufeWahnsinn;
    malen();
    const TPictureCollectionItem& bild = bilder()[spriteWahnsinn];
    const TPunkt p{236, 201};
    EXPECT_TRUE(steht(frame, spriteWahnsinn, p));
    EXPECT_TRUE(steht(frame, spriteWahn2, TPunkt{100, 10}));
    int32_t durch = 0;
    for (int32_t y = 0; y < bild.surface.height(); ++y) {
        for (int32_t x = 0; x < bild.surface.width(); ++x) {
            if (bild.surface.pixel(x, y) != spriteTransparenzFarbe) continue;
            ASSERT_EQ(frame.pixel(p.x + x, p.y + y), darunter.pixel(p.x + x, p.y + y));
            ++durch;
        }
    }
    EXPECT_GT(durch, 0);
    // outside the two pictures nothing changed
    EXPECT_EQ(frame.pixel(235, 201), darunter.pixel(235, 201));
    EXPECT_EQ(frame.pixel(236 + 192, 345), darunter.pixel(236 + 192, 345));
    EXPECT_EQ(frame.pixel(300, 200), darunter.pixel(300, 200));
}

TEST_F(Zeichnen, WinOverlayOnASmallSurfaceIsCutAtItsEdges) {
    // Level 5 always has its own size, but the overlay is centred on whatever surface
    // it is given: on 152 x 195 it starts at (-20, 25).
    brett(8, 8, stufeWahnsinn);
    roh.spielEnde = roh.gewonnen = true;
    malen();
    EXPECT_TRUE(
        steht(frame, spriteWahnsinn, overlayPos(152, 195, 192, 144), TAusnahme{100, 10, 269, 42}));
    EXPECT_TRUE(steht(frame, spriteWahn2, TPunkt{100, 10}));
}

// With the real sprites: the frame's bevels stand where the layout expects them.
TEST(ZeichnenEchteSprites, FrameBevelsLineUpWithTheLayout) {
    auto echte = std::make_unique<TBilder>();
    spritesLaden(*echte);
    TZufall zufall;
    TTestUhr uhr;
    TBestzeiten bestzeiten{};
    auto spiel = std::make_unique<TSpiel>(zufall, uhr, bestzeiten);
    constexpr uint32_t weiss = 0xFFFFFF, hell = 0xC0C0C0, dunkel = 0x808080;
    for (const auto& [W, H] : {std::pair{8, 8}, std::pair{30, 16}, std::pair{72, 56}}) {
        spiel->stufeAnlegen(stufeBenutzerdefiniert, W, H, 10);
        Surface f(clientBreite(W), clientHoehe(H));
        FillSurface(&f, 0);
        zeichnen(&f, *echte, *spiel, TZeiger{}, 0);
        const int32_t DW = f.width(), DH = f.height();
        int32_t fehler = 0;
        auto farbe = [&](int32_t x0, int32_t x1, int32_t y0, int32_t y1, uint32_t soll,
                         const char* was) {
            for (int32_t y = y0; y <= y1; ++y) {
                for (int32_t x = x0; x <= x1; ++x) {
                    if ((f.pixel(x, y) & 0xFFFFFF) != soll && fehler++ < 5) {
                        ADD_FAILURE() << W << "x" << H << " " << was << " at (" << x << ", " << y
                                      << "): " << std::hex << f.pixel(x, y);
                    }
                }
            }
        };
        // outer rim, away from the diagonal corners
        farbe(8, DW - 9, 0, 2, weiss, "rim top");
        farbe(0, 2, 8, DH - 9, weiss, "rim left");
        farbe(8, DW - 9, DH - 3, DH - 1, dunkel, "rim bottom");
        farbe(DW - 3, DW - 1, 8, DH - 9, dunkel, "rim right");
        // the sunken top panel, rows 9 to 45, x 9 to W*16+14
        farbe(12, W * 16 + 11, 9, 10, dunkel, "panel top");
        farbe(9, 10, 12, 42, dunkel, "panel left");
        farbe(12, W * 16 + 11, 44, 45, weiss, "panel bottom");
        farbe(W * 16 + 13, W * 16 + 14, 12, 42, weiss, "panel right");
        farbe(11, 15, 11, 43, hell, "panel inside left");
        farbe(11, W * 16 + 12, 11, 14, hell, "panel inside top");
        farbe(W * 16 + 6, W * 16 + 12, 11, 43, hell, "panel inside right");
        // light grey between panel and well and outside both
        farbe(3, DW - 4, 3, 8, hell, "strip above panel");
        farbe(3, DW - 4, 46, 51, hell, "strip below panel");
        farbe(3, 8, 3, DH - 4, hell, "left margin");
        farbe(DW - 9, DW - 4, 3, DH - 4, hell, "right margin");
        // the sunken well around the field
        farbe(12, W * 16 + 11, 52, 54, dunkel, "well top");
        farbe(9, 11, 55, H * 16 + 54, dunkel, "well left");
        farbe(12, W * 16 + 11, H * 16 + 55, H * 16 + 57, weiss, "well bottom");
        farbe(W * 16 + 12, W * 16 + 14, 55, H * 16 + 54, weiss, "well right");
        farbe(3, DW - 4, H * 16 + 58, DH - 4, hell, "strip below well");
        EXPECT_EQ(fehler, 0) << W << "x" << H;
    }
}

// The decision whether a frame is composed, on keys made by hand: the surface's count of
// writes, the board's count of changes and the seconds shown.
TBildSchluessel schluessel(const Surface& s, uint64_t stand, uint64_t brett, int32_t t) {
    TBildSchluessel k;
    k.gueltig = true;
    k.ziel = &s;
    k.zielStand = stand;
    k.aenderungen = brett;
    k.t = t;
    return k;
}

constexpr TBildAnlass alleAnlaesse[] = {TBildAnlass::takt, TBildAnlass::anstrichMitTakt,
                                        TBildAnlass::anstrichOhneTakt};

TEST(BildNoetig, NothingWhenTheSurfaceHoldsThisFrameElseTheTickComposes) {
    const Surface s;
    for (TBildAnlass a : alleAnlaesse)
        EXPECT_FALSE(bildNoetig(a, schluessel(s, 1, 1, 5), schluessel(s, 1, 1, 5)));
    EXPECT_TRUE(bildNoetig(TBildAnlass::takt, schluessel(s, 1, 1, 6), schluessel(s, 1, 1, 5)));
}

TEST(BildNoetig, ARepaintComposesTheFirstFrameAndOneOnASurfaceWrittenOtherwise) {
    const Surface s;
    for (TBildAnlass a : alleAnlaesse) {
        EXPECT_TRUE(bildNoetig(a, schluessel(s, 1, 1, 0), TBildSchluessel{}));
        EXPECT_TRUE(bildNoetig(a, schluessel(s, 2, 1, 0), schluessel(s, 1, 1, 0)));
    }
}

TEST(BildNoetig, WithoutTicksARepaintFollowsTheBoardWhileThePointerAndTheClockStand) {
    const Surface s;
    TBildSchluessel zeigerWoanders = schluessel(s, 1, 1, 9);
    zeigerWoanders.zeiger.mausX = 40;
    for (const TBildSchluessel& jetzt : {schluessel(s, 1, 1, 9), zeigerWoanders}) {
        EXPECT_FALSE(bildNoetig(TBildAnlass::anstrichOhneTakt, jetzt, schluessel(s, 1, 1, 5)));
        EXPECT_FALSE(bildNoetig(TBildAnlass::anstrichMitTakt, jetzt, schluessel(s, 1, 1, 5)));
    }
    EXPECT_TRUE(
        bildNoetig(TBildAnlass::anstrichOhneTakt, schluessel(s, 1, 2, 9), schluessel(s, 1, 1, 5)));
    EXPECT_FALSE(
        bildNoetig(TBildAnlass::anstrichMitTakt, schluessel(s, 1, 2, 9), schluessel(s, 1, 1, 5)));
}

// Through a drawing log, as on the window's back surface: once the window has taken the
// frame's changes, an unchanged tick still finds the frame on the surface.
TEST_F(Zeichnen, AnUnchangedTickComposesNothingAfterTheWindowTookTheFrame) {
    brett(9, 9);
    TDrawLog protokoll;
    protokoll.attach(frame);
    std::vector<TRect> rects;
    TBildSchluessel letztes;
    EXPECT_TRUE(bildAuffrischen(TBildAnlass::takt, letztes, &frame, bilder(), spiel, zeiger, 3));
    protokoll.takeChanges(rects);
    EXPECT_FALSE(bildAuffrischen(TBildAnlass::takt, letztes, &frame, bilder(), spiel, zeiger, 3));
    EXPECT_TRUE(bildAuffrischen(TBildAnlass::takt, letztes, &frame, bilder(), spiel, zeiger, 4));
    EXPECT_TRUE(steht(frame, 4, zeitStellePos(9, 2)));
}
