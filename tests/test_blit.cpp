// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "blit.h"
#include "drawlog.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// A w x h sprite whose every pixel tells where it came from: 0x01yyxx (never black).
TPictureCollectionItem musterBild(int32_t w, int32_t h) {
    TPictureCollectionItem item;
    item.surface.resize(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) item.surface.setPixel(x, y, 0x010000u | (y << 8) | x);
    }
    return item;
}

constexpr uint32_t grund = 0x00A0A0A0;

Surface ziel(int32_t w, int32_t h) {
    Surface s(w, h);
    FillSurface(&s, grund);
    return s;
}

// Pixel (x, y) of the destination must hold source pixel (x - ox, y - oy) where the
// sprite at (ox, oy) covers it, and the ground colour everywhere else.
void erwarteSprite(const Surface& s, const TPictureCollectionItem& item, int32_t ox, int32_t oy) {
    for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x) {
            const int32_t sx = x - ox, sy = y - oy;
            const bool innen =
                sx >= 0 && sy >= 0 && sx < item.surface.width() && sy < item.surface.height();
            const uint32_t soll = innen ? item.surface.pixel(sx, sy) : grund;
            ASSERT_EQ(s.pixel(x, y), soll)
                << "at (" << x << ", " << y << ") sprite at (" << ox << ", " << oy << ")";
        }
    }
}

bool unberuehrt(const Surface& s) {
    for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x) {
            if (s.pixel(x, y) != grund) return false;
        }
    }
    return true;
}

} // namespace

TEST(FillSurface, FillsEveryPixelAndReportsIt) {
    Surface s(7, 5);
    EXPECT_TRUE(FillSurface(&s, 0x123456));
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 7; ++x) EXPECT_EQ(s.pixel(x, y), 0x123456u);
    }
    EXPECT_TRUE(FillSurface(&s, 0));
    EXPECT_EQ(s.pixel(6, 4), 0u);
    EXPECT_EQ(s.pixel(0, 0), 0u);
}

TEST(FillSurface, NothingWithoutSurface) {
    Surface leer;
    EXPECT_FALSE(FillSurface(&leer, 1));
    EXPECT_FALSE(FillSurface(nullptr, 1));
}

TEST(DrawSprite, InsideCopiesTheWholeRectangle) {
    const auto item = musterBild(5, 4);
    Surface s = ziel(20, 10);
    DrawSprite(item, &s, 3, 2, 0);
    erwarteSprite(s, item, 3, 2);
}

TEST(DrawSprite, ClipsAtEachEdge) {
    // 16 wide is the cell size, which takes its own copy path.
    for (const auto& [w, h] : {std::pair{6, 5}, std::pair{16, 16}}) {
        const auto item = musterBild(w, h);
        // right, bottom, left, top, and corners at once
        const int32_t lagen[][2] = {{37, 2},  {4, 18},  {-3, 2},  {4, -2},
                                    {-4, -3}, {38, 19}, {-5, 19}, {2, 14}};
        for (const auto& l : lagen) {
            Surface s = ziel(40, 20);
            DrawSprite(item, &s, l[0], l[1], 0);
            erwarteSprite(s, item, l[0], l[1]);
        }
    }
}

TEST(DrawSprite, LargerThanTheSurfaceFillsItWithTheMatchingPart) {
    const auto item = musterBild(30, 20);
    Surface s = ziel(8, 6);
    DrawSprite(item, &s, -7, -9, 0);
    erwarteSprite(s, item, -7, -9);
}

TEST(DrawSprite, BeyondTheEdgesDrawsNothing) {
    const auto item = musterBild(6, 5);
    const int32_t lagen[][2] = {{20, 0},
                                {21, 3},
                                {0, 10},
                                {3, 11},
                                {21, 11},
                                {-6, 0},
                                {0, -5},
                                {-100, -100},
                                {INT32_MIN, 0},
                                {0, INT32_MIN},
                                {INT32_MAX, INT32_MAX},
                                {INT32_MIN, INT32_MIN}};
    for (const auto& l : lagen) {
        Surface s = ziel(20, 10);
        DrawSprite(item, &s, l[0], l[1], 0);
        EXPECT_TRUE(unberuehrt(s)) << l[0] << ", " << l[1];
    }
}

TEST(DrawSprite, OnlyPatternZeroOfAnItemWithSurfaceIsDrawn) {
    const auto item = musterBild(4, 4);
    for (int32_t muster : {-1, 1, 2, INT32_MIN, INT32_MAX}) {
        Surface s = ziel(10, 10);
        DrawSprite(item, &s, 1, 1, muster);
        EXPECT_TRUE(unberuehrt(s)) << muster;
    }
    TPictureCollectionItem ohne;
    Surface s = ziel(10, 10);
    DrawSprite(ohne, &s, 1, 1, 0);
    EXPECT_TRUE(unberuehrt(s));
    DrawSprite(item, nullptr, 0, 0, 0); // no destination: nothing, and no crash
}

TEST(DrawSprite, ColourKeyLeavesOutExactlyTheKeyPixels) {
    TPictureCollectionItem item;
    item.Transparent = true;
    item.TransparentColor = 0xBFBFBF;
    item.surface.resize(4, 2);
    // the key, its neighbours in each channel, black and white
    const uint32_t reihe0[] = {0xBFBFBF, 0xBFBFBE, 0xBEBFBF, 0xBFBEBF};
    const uint32_t reihe1[] = {0xBFBFC0, 0x000000, 0xBFBFBF, 0xFFFFFF};
    for (int32_t x = 0; x < 4; ++x) {
        item.surface.setPixel(x, 0, reihe0[x]);
        item.surface.setPixel(x, 1, reihe1[x]);
    }
    Surface s = ziel(6, 4);
    DrawSprite(item, &s, 1, 1, 0);
    for (int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(s.pixel(x + 1, 1), reihe0[x] == 0xBFBFBF ? grund : reihe0[x]) << x;
        EXPECT_EQ(s.pixel(x + 1, 2), reihe1[x] == 0xBFBFBF ? grund : reihe1[x]) << x;
    }
    EXPECT_EQ(s.pixel(0, 0), grund);
    EXPECT_EQ(s.pixel(5, 3), grund);

    // The same picture drawn opaque copies the key pixels too.
    item.Transparent = false;
    DrawSprite(item, &s, 1, 1, 0);
    EXPECT_EQ(s.pixel(1, 1), 0xBFBFBFu);
    EXPECT_EQ(s.pixel(3, 2), 0xBFBFBFu);
}

TEST(DrawSprite, KeyedCopyIsClippedLikeAnOpaqueOne) {
    auto item = musterBild(6, 5);
    item.Transparent = true;
    item.TransparentColor = 0xBFBFBF; // not among the pattern's pixels
    for (const auto& l : {std::pair{-2, -1}, std::pair{16, 7}, std::pair{-3, 8}}) {
        Surface s = ziel(20, 10);
        DrawSprite(item, &s, l.first, l.second, 0);
        erwarteSprite(s, item, l.first, l.second);
    }
}

// Frames as the game composes them, fill first: the same list again, one sprite swapped,
// one added or dropped at the end, one put in front (everything after it moves), a
// different fill, a pixel written straight, a sprite changed between frames. Drawn
// through the log they must read exactly as drawn at once, a frame like the last one must
// change nothing, and every changed pixel must lie in the rectangles reported.
TEST(DrawLog, DrawsWhatDrawingAtOnceDrawsAndReportsEveryChange) {
    std::vector<TPictureCollectionItem> bilder;
    for (const auto& [w, h] :
         {std::pair{16, 16}, std::pair{13, 23}, std::pair{5, 4}, std::pair{30, 20}}) {
        bilder.push_back(musterBild(w, h));
    }
    for (int i = 0; i < 2; ++i) { // the same picture opaque and with a key among its pixels
        auto item = musterBild(12, 9);
        for (int32_t x = 0; x < 12; ++x) item.surface.setPixel(x, (x + i) % 9, 0xBFBFBF);
        item.Transparent = i == 1;
        item.TransparentColor = 0xBFBFBF;
        bilder.push_back(item);
    }
    struct TSchritt {
        std::size_t bild;
        int32_t x, y;
    };
    std::mt19937 zufall(2024);
    auto wuerfeln = [&](int32_t n) {
        return static_cast<int32_t>(zufall() % static_cast<uint32_t>(n));
    };
    auto schritt = [&] {
        return TSchritt{static_cast<std::size_t>(wuerfeln(static_cast<int32_t>(bilder.size()))),
                        wuerfeln(70) - 15, wuerfeln(60) - 15};
    };
    std::vector<TSchritt> liste;
    for (int i = 0; i < 25; ++i) liste.push_back(schritt());

    Surface sofort(50, 40), gezeigt(50, 40), s(50, 40);
    TDrawLog protokoll;
    protokoll.attach(s);
    std::vector<TRect> rects;
    uint32_t grundfarbe = 0;
    int vorige = 0;
    for (int runde = 0; runde < 300; ++runde) {
        const int art = runde < 2 ? 0 : wuerfeln(8);
        if (art == 1) liste[zufall() % liste.size()] = schritt();
        if (art == 2) liste.push_back(schritt());
        if (art == 3 && liste.size() > 20) liste.pop_back();
        if (art == 4) liste.insert(liste.begin(), schritt());
        if (art == 5) grundfarbe ^= 0x000101u;
        if (art == 7) bilder[0].surface.setPixel(3, 3, bilder[0].surface.pixel(3, 3) ^ 0x10u);
        for (Surface* z : {&sofort, &s}) {
            FillSurface(z, grundfarbe);
            for (const TSchritt& t : liste) DrawSprite(bilder[t.bild], z, t.x, t.y, 0);
        }
        if (art == 6) {
            sofort.setPixel(7, 5, 0x777777u);
            s.setPixel(7, 5, 0x777777u);
        }
        const bool alles = protokoll.takeChanges(rects);
        if (art == 0 && runde > 0 && vorige != 6) {
            EXPECT_FALSE(alles) << runde;
            EXPECT_TRUE(rects.empty()) << runde;
        }
        for (int32_t y = 0; y < 40; ++y) {
            for (int32_t x = 0; x < 50; ++x) {
                ASSERT_EQ(s.pixel(x, y), sofort.pixel(x, y)) << runde << ": " << x << "," << y;
                if (alles || gezeigt.pixel(x, y) == sofort.pixel(x, y)) continue;
                const bool drin = std::any_of(rects.begin(), rects.end(), [&](const TRect& r) {
                    return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h;
                });
                ASSERT_TRUE(drin) << runde << ": " << x << "," << y;
            }
        }
        gezeigt = sofort;
        vorige = art;
    }
}
