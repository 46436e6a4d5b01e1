// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dib.h"
#include "katalog.h"
#include "spriteliste.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

namespace {

constexpr uint32_t weiss = 0xFFFFFF, hellgrau = 0xC0C0C0, dunkelgrau = 0x808080, schwarz = 0x000000,
                   rot = 0xFF0000;

const std::set<uint32_t> klassisch16{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                     0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                     0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
// The colours the small sprites may show.
const std::set<uint32_t> erlaubt{0x000000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0xFF0000,
                                 0x800000, 0xFFFF00, 0x808000, 0x0000FF, 0x000080,
                                 0x008000, 0x008080, 0x800080};

uint32_t le32(std::span<const uint8_t> d, std::size_t off) {
    return d[off] | (d[off + 1] << 8) | (d[off + 2] << 16) | (uint32_t{d[off + 3]} << 24);
}
uint16_t le16(std::span<const uint8_t> d, std::size_t off) {
    return static_cast<uint16_t>(d[off] | (d[off + 1] << 8));
}

const std::array<TPictureCollectionItem, spriteAnzahl>& sprites() {
    static const auto items = [] {
        auto a = std::make_unique<std::array<TPictureCollectionItem, spriteAnzahl>>();
        spritesLaden(*a);
        return a;
    }();
    return *items;
}
const Surface& bild(int32_t i) {
    return sprites()[static_cast<std::size_t>(i)].surface;
}

} // namespace

TEST(Sprites, StoredFormMatchesTheCatalogue) {
    for (int32_t i = 0; i < spriteAnzahl; ++i) {
        SCOPED_TRACE(spriteDateiname(i));
        const TSpriteEintrag& e = spriteKatalog[static_cast<std::size_t>(i)];
        std::span<const uint8_t> d = spriteDaten(i);
        ASSERT_GE(d.size(), 54u);
        EXPECT_EQ(d[0], 'B');
        EXPECT_EQ(d[1], 'M');
        const uint32_t farben = e.bits == 4 ? 16 : 256;
        const uint32_t zeile = ((static_cast<uint32_t>(e.breite) * e.bits + 31) / 32) * 4;
        EXPECT_EQ(le32(d, 10), 14 + 40 + farben * 4); // pixels right behind the palette
        EXPECT_EQ(le32(d, 14), 40u);
        EXPECT_EQ(static_cast<int32_t>(le32(d, 18)), e.breite);
        EXPECT_EQ(static_cast<int32_t>(le32(d, 22)), e.hoehe); // positive: bottom-up
        EXPECT_EQ(le16(d, 26), 1);
        EXPECT_EQ(le16(d, 28), e.bits);
        EXPECT_EQ(le32(d, 30), 0u); // uncompressed
        EXPECT_EQ(le32(d, 34), zeile * static_cast<uint32_t>(e.hoehe));
        EXPECT_EQ(le32(d, 46), 0u); // colours used: the full palette
        EXPECT_EQ(d.size(), 14 + 40 + farben * 4 + zeile * static_cast<uint32_t>(e.hoehe));
        if (i <= 40) {
            for (uint32_t k = 0; k < 16; ++k) {
                uint32_t c = le32(d, 54 + 4 * k);
                EXPECT_EQ(c >> 24, 0u);
                EXPECT_TRUE(klassisch16.count(c & 0xFFFFFF)) << "palette entry " << k;
            }
        }
    }
}

TEST(Sprites, LoadedItemsCarryNamesSizesAndTransparency) {
    const auto& items = sprites();
    for (int32_t i = 0; i < spriteAnzahl; ++i) {
        const TSpriteEintrag& e = spriteKatalog[static_cast<std::size_t>(i)];
        const TPictureCollectionItem& it = items[static_cast<std::size_t>(i)];
        EXPECT_EQ(it.Name, e.name);
        EXPECT_EQ(it.surface.width(), e.breite) << i;
        EXPECT_EQ(it.surface.height(), e.hoehe) << i;
        EXPECT_EQ(it.PatternCount(), 1);
        EXPECT_EQ(it.PatternWidth, 0);
        EXPECT_EQ(it.Transparent, i >= 41) << i;
        if (i >= 41) {
            EXPECT_EQ(it.TransparentColor, 0xBFBFBFu);
        }
    }
    EXPECT_EQ(items[0].Name, "");
    EXPECT_EQ(items[25].Name, "smile 1");
    EXPECT_EQ(items[42].Name, "wahn2");
    EXPECT_EQ(spriteDateiname(16), "16_lo.bmp");
    EXPECT_EQ(spriteDateiname(43), "");
    EXPECT_TRUE(spriteDaten(-1).empty());
}

TEST(Sprites, SmallSpritesShowOnlyClassicColours) {
    for (int32_t i = 0; i <= 40; ++i) {
        const Surface& s = bild(i);
        for (int32_t y = 0; y < s.height(); ++y)
            for (int32_t x = 0; x < s.width(); ++x)
                ASSERT_TRUE(erlaubt.count(s.pixel(x, y))) << "sprite " << i << " at " << x << ", "
                                                          << y << ": " << std::hex << s.pixel(x, y);
    }
}

TEST(Sprites, LargePicturesLieOnTheKeyColour) {
    for (int32_t i : {spriteWahnsinn, spriteWahn2}) {
        const Surface& s = bild(i);
        const int32_t w = s.width(), h = s.height();
        for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
            EXPECT_EQ(s.pixel(x, y), spriteTransparenzFarbe) << i;
        int32_t schluessel = 0, dunkel = 0;
        std::set<uint32_t> farben;
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                uint32_t c = s.pixel(x, y);
                farben.insert(c);
                schluessel += c == spriteTransparenzFarbe;
                uint32_t r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
                dunkel += r == g && g == b && r < 0x80; // the letters' greys
            }
        }
        EXPECT_GT(schluessel, w * h / 10) << i; // there is something to see through
        EXPECT_GT(dunkel, w * h / 20) << i;     // and letters to read
        EXPECT_GT(farben.size(), 16u) << i;     // shaded, not a 16-colour picture
    }
    // the large picture's cloud: plenty of orange and yellow
    const Surface& s = bild(spriteWahnsinn);
    int32_t feuer = 0;
    for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x) {
            uint32_t c = s.pixel(x, y);
            feuer += (c >> 16) == 0xFF && ((c >> 8) & 0xFF) >= 0x60 && (c & 0xFF) < 0xC0;
        }
    }
    EXPECT_GT(feuer, s.width() * s.height() / 4);
}

namespace {

// The colours a pixel of an n-pixel bevel may take: `hell` along top and left, `dunkel`
// along bottom and right, either on the diagonal where they meet; empty off the bevel.
std::set<uint32_t> bevel(int32_t x, int32_t y, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                         int32_t n, uint32_t hell, uint32_t dunkel) {
    if (x < x0 || x > x1 || y < y0 || y > y1) return {};
    int32_t dl = x - x0, dt = y - y0, dr = x1 - x, db = y1 - y;
    auto waehle = [&](int32_t a, int32_t b) -> std::set<uint32_t> {
        if (a == b) return {hell, dunkel};
        return {a < b ? hell : dunkel};
    };
    if (dt < n && dr < n) return waehle(dt, dr);
    if (dl < n && db < n) return waehle(dl, db);
    if (dl < n || dt < n) return {hell};
    if (dr < n || db < n) return {dunkel};
    return {};
}

// The frame's colours at client pixel (x, y) of a W x H board.
std::set<uint32_t> rahmenFarbe(int32_t x, int32_t y, int32_t W, int32_t H) {
    const int32_t cw = W * 16 + 24, ch = H * 16 + 67;
    for (auto s : {bevel(x, y, 0, 0, cw - 1, ch - 1, 3, weiss, dunkelgrau),
                   bevel(x, y, 9, 9, W * 16 + 14, 45, 2, dunkelgrau, weiss),
                   bevel(x, y, 9, 52, W * 16 + 14, H * 16 + 57, 3, dunkelgrau, weiss)})
        if (!s.empty()) return s;
    return {hellgrau};
}

void einsetzen(Surface& ziel, const Surface& s, int32_t x0, int32_t y0) {
    for (int32_t y = 0; y < s.height(); ++y)
        for (int32_t x = 0; x < s.width(); ++x) ziel.setPixel(x0 + x, y0 + y, s.pixel(x, y));
}

} // namespace

TEST(Sprites, FramePiecesJoinForEveryBoardSize) {
    for (auto [W, H] : {std::pair{8, 8}, {9, 8}, {30, 16}, {8, 56}, {72, 56}}) {
        SCOPED_TRACE(::testing::Message() << W << " x " << H);
        Surface r(W * 16 + 24, H * 16 + 67);
        const uint32_t leer = 0x123456; // the field, which the frame leaves alone
        for (int32_t y = 0; y < r.height(); ++y)
            for (int32_t x = 0; x < r.width(); ++x) r.setPixel(x, y, leer);
        einsetzen(r, bild(spriteLo), 0, 0);
        einsetzen(r, bild(spriteRo), W * 16 + 12, 0);
        einsetzen(r, bild(spriteLu), 0, H * 16 + 55);
        einsetzen(r, bild(spriteRu), W * 16 + 12, H * 16 + 55);
        for (int32_t i = 1; i <= W; ++i) {
            einsetzen(r, bild(spriteMo), (i - 1) * 16 + 12, 0);
            einsetzen(r, bild(spriteMu), (i - 1) * 16 + 12, H * 16 + 55);
        }
        for (int32_t j = 1; j <= H; ++j) {
            einsetzen(r, bild(spriteLi), 0, (j - 1) * 16 + 55);
            einsetzen(r, bild(spriteRe), W * 16 + 12, (j - 1) * 16 + 55);
        }
        int32_t fehler = 0;
        for (int32_t y = 0; y < r.height() && fehler < 5; ++y) {
            for (int32_t x = 0; x < r.width() && fehler < 5; ++x) {
                bool feld = x >= 12 && x < W * 16 + 12 && y >= 55 && y < H * 16 + 55;
                uint32_t c = r.pixel(x, y);
                if (feld ? c != leer : !rahmenFarbe(x, y, W, H).count(c)) {
                    ADD_FAILURE() << "at " << x << ", " << y << ": " << std::hex << c;
                    ++fehler;
                }
            }
        }
    }
}

TEST(Sprites, FramePiecesCarryTheBevelsAtTheirRows) {
    const Surface& lo = bild(spriteLo);
    for (int32_t x = 0; x < 12; ++x)
        for (int32_t y = 0; y < 3; ++y) EXPECT_EQ(lo.pixel(x, y), weiss);
    EXPECT_EQ(lo.pixel(11, 8), hellgrau);
    EXPECT_EQ(lo.pixel(11, 9), dunkelgrau); // the panel's edge starts at row 9
    EXPECT_EQ(lo.pixel(11, 10), dunkelgrau);
    EXPECT_EQ(lo.pixel(11, 11), hellgrau);
    EXPECT_EQ(lo.pixel(11, 44), weiss);
    EXPECT_EQ(lo.pixel(11, 45), weiss);
    EXPECT_EQ(lo.pixel(11, 46), hellgrau);
    EXPECT_EQ(lo.pixel(9, 30), dunkelgrau);
    EXPECT_EQ(lo.pixel(8, 30), hellgrau);
    for (int32_t y = 52; y < 55; ++y) EXPECT_EQ(lo.pixel(11, y), dunkelgrau); // the well

    const Surface& mo = bild(spriteMo);
    const Surface& mu = bild(spriteMu);
    for (int32_t x = 0; x < 16; ++x) {
        EXPECT_EQ(mo.pixel(x, 9), dunkelgrau);
        EXPECT_EQ(mo.pixel(x, 45), weiss);
        EXPECT_EQ(mo.pixel(x, 54), dunkelgrau);
        EXPECT_EQ(mu.pixel(x, 0), weiss);
        EXPECT_EQ(mu.pixel(x, 11), dunkelgrau);
    }
    const Surface& li = bild(spriteLi);
    const Surface& re = bild(spriteRe);
    for (int32_t y = 0; y < 16; ++y) {
        EXPECT_EQ(li.pixel(0, y), weiss);
        EXPECT_EQ(li.pixel(11, y), dunkelgrau);
        EXPECT_EQ(re.pixel(0, y), weiss);
        EXPECT_EQ(re.pixel(11, y), dunkelgrau);
    }
}

TEST(Sprites, CounterDigitsLightTheirSegments) {
    // sample points of the segments a (top) to g (middle)
    const int32_t px[7][2] = {{6, 2}, {10, 6}, {10, 16}, {6, 20}, {2, 16}, {2, 6}, {6, 11}};
    const char* an[11] = {"abcdef", "bc",  "abdeg",   "abcdg",  "bcfg", "acdfg",
                          "acdefg", "abc", "abcdefg", "abcdfg", "g"};
    for (int32_t d = 0; d <= 10; ++d) {
        const Surface& s = bild(d == 10 ? spriteMinus : d);
        for (int32_t k = 0; k < 7; ++k) {
            bool leuchtet = std::strchr(an[d], 'a' + k) != nullptr;
            EXPECT_EQ(s.pixel(px[k][0], px[k][1]) == rot, leuchtet) << d << " segment " << k;
        }
        EXPECT_EQ(s.pixel(0, 0), schwarz);
    }
    // the counter box holds three zeros one pixel in, inside a sunken rim
    const Surface& anz = bild(spriteAnz);
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t y = 0; y < 23; ++y)
            for (int32_t x = 0; x < 13; ++x)
                ASSERT_EQ(anz.pixel(1 + 13 * i + x, 1 + y), bild(0).pixel(x, y));
    EXPECT_EQ(anz.pixel(20, 0), dunkelgrau);
    EXPECT_EQ(anz.pixel(0, 12), dunkelgrau);
    EXPECT_EQ(anz.pixel(20, 24), weiss);
    EXPECT_EQ(anz.pixel(40, 12), weiss);
}

TEST(Sprites, CellsAndFaces) {
    const uint32_t zahlfarbe[9] = {0,        0x0000FF, 0x008000, 0xFF0000, 0x000080,
                                   0x800000, 0x008080, 0x800080, 0x000000};
    const Surface& null = bild(spriteNull);
    for (int32_t n = 1; n <= 8; ++n) {
        const Surface& s = bild(spriteNull + n);
        int32_t tinte = 0;
        for (int32_t y = 0; y < 15; ++y)
            for (int32_t x = 0; x < 15; ++x) {
                if (s.pixel(x, y) == zahlfarbe[n])
                    ++tinte;
                else
                    EXPECT_EQ(s.pixel(x, y), hellgrau) << n;
            }
        EXPECT_GT(tinte, 20) << n;
        for (int32_t i = 0; i < 16; ++i) {
            EXPECT_EQ(s.pixel(15, i), null.pixel(15, i)); // the same grid line
            EXPECT_EQ(s.pixel(i, 15), null.pixel(i, 15));
        }
    }
    int32_t punkte = 0;
    for (int32_t i = 0; i < 16; ++i) punkte += (null.pixel(15, i) == schwarz);
    EXPECT_GT(punkte, 4);
    EXPECT_LT(punkte, 12); // dotted, not solid

    const Surface& hoch = bild(spriteGrauHoch);
    EXPECT_EQ(hoch.pixel(0, 0), weiss);
    EXPECT_EQ(hoch.pixel(15, 15), schwarz);
    EXPECT_EQ(hoch.pixel(14, 8), dunkelgrau);
    EXPECT_EQ(hoch.pixel(8, 8), hellgrau);
    EXPECT_EQ(bild(spriteRoteMine).pixel(1, 1), rot);
    EXPECT_EQ(bild(spriteGraueMine).pixel(7, 7), schwarz);
    EXPECT_EQ(bild(spriteFlagge).pixel(0, 0), weiss); // on the raised face

    // the held-down face is the normal one moved one pixel right and down
    const Surface& normal = bild(spriteSmile1);
    const Surface& gedrueckt = bild(spriteSmile5);
    for (int32_t y = 4; y <= 20; ++y)
        for (int32_t x = 4; x <= 20; ++x)
            ASSERT_EQ(gedrueckt.pixel(x + 1, y + 1), normal.pixel(x, y)) << x << ", " << y;
    EXPECT_EQ(normal.pixel(2, 2), weiss);
    EXPECT_EQ(gedrueckt.pixel(2, 2), dunkelgrau);
    for (int32_t a = spriteSmile1; a <= spriteSmile4; ++a)
        for (int32_t b = a + 1; b <= spriteSmile4; ++b)
            EXPECT_NE(std::memcmp(bild(a).bits(), bild(b).bits(), 26 * 26 * 4), 0) << a << b;
}

TEST(Sprites, Icons) {
    Surface icon = LoadBitmapFile(programmSymbolDaten());
    ASSERT_EQ(icon.width(), 32);
    ASSERT_EQ(icon.height(), 32);
    EXPECT_EQ(le16(programmSymbolDaten(), 28), 4);
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
        EXPECT_EQ(icon.pixel(x, y), programmSymbolMaske);
    EXPECT_EQ(icon.pixel(18, 18), schwarz); // the body
    std::span<const uint8_t> png = anwendungsSymbolDaten();
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
}
