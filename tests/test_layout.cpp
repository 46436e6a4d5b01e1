// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout.h"

#include <gtest/gtest.h>

TEST(Layout, ClientSizeOfTheLevelsAndTheExtremes) {
    const int32_t faelle[][4] = {{8, 8, 152, 195},   {16, 16, 280, 323}, {30, 16, 504, 323},
                                 {36, 24, 600, 451}, {40, 30, 664, 547}, {72, 56, 1176, 963},
                                 {8, 56, 152, 963}};
    for (const auto& f : faelle) {
        EXPECT_EQ(clientBreite(f[0]), f[2]) << f[0];
        EXPECT_EQ(clientHoehe(f[1]), f[3]) << f[1];
    }
}

TEST(Layout, PiecesMeetWithoutGapsAndFillTheClientArea) {
    for (const auto& [W, H] : {std::pair{8, 8}, std::pair{30, 16}, std::pair{72, 56}}) {
        // upper strip: corner 12, W edges of 16, corner 12
        EXPECT_EQ(obenPos(1).x, 12);
        EXPECT_EQ(obenRechtsPos(W).x, obenPos(W).x + 16);
        EXPECT_EQ(obenRechtsPos(W).x + 12, clientBreite(W));
        EXPECT_EQ(linksPos(1).y, 55);
        EXPECT_EQ(untenLinksPos(H).y, linksPos(H).y + 16);
        EXPECT_EQ(untenRechtsPos(W, H), (TPunkt{clientBreite(W) - 12, clientHoehe(H) - 12}));
        EXPECT_EQ(untenPos(W, H), (TPunkt{W * 16 - 4, H * 16 + 55}));
        EXPECT_EQ(rechtsPos(W, H), (TPunkt{W * 16 + 12, H * 16 + 39}));
        EXPECT_EQ(zellPos(W, H), (TPunkt{W * 16 - 4, H * 16 + 39}));
        // the face is centred: its middle column is half the client width
        EXPECT_EQ(gesichtPos(W).x + 13, clientBreite(W) / 2);
        // the time counter's 41 columns end 18 pixels before the right edge
        EXPECT_EQ(zeitAnzeigePos(W).x + 41 + 18, clientBreite(W));
        EXPECT_EQ(zeitStellePos(W, 0).x, zeitAnzeigePos(W).x + 1);
        EXPECT_EQ(zeitStellePos(W, 2), (TPunkt{W * 16 - 8, 16}));
    }
    EXPECT_EQ(zellPos(1, 1), (TPunkt{12, 55}));
    EXPECT_EQ(minenStellePos(0), (TPunkt{17, 16}));
    EXPECT_EQ(minenStellePos(1), (TPunkt{30, 16}));
    EXPECT_EQ(minenStellePos(2), (TPunkt{43, 16}));
}

TEST(Layout, EightColumnsNothingOverlapsInTheTopStrip) {
    // mine box 16..56, face 63..88, time box 93..133
    EXPECT_EQ(minenAnzeigePos().x + 41 - 1, 56);
    EXPECT_EQ(gesichtPos(8), (TPunkt{63, 15}));
    EXPECT_EQ(zeitAnzeigePos(8), (TPunkt{93, 15}));
    EXPECT_EQ(zeitAnzeigePos(8).x + 41 - 1, 133);
}

TEST(Layout, OverlayCentredWithTruncation) {
    EXPECT_EQ(overlayPos(664, 547, 192, 144), (TPunkt{236, 201}));
    EXPECT_EQ(overlayPos(152, 195, 192, 144), (TPunkt{-20, 25}));
    // an odd-sized picture larger than the surface: 75 div 2 - 193 div 2 = 37 - 96
    EXPECT_EQ(overlayPos(75, 10, 193, 31), (TPunkt{-59, -10}));
    EXPECT_EQ(bannerPos(), (TPunkt{100, 10}));
}

TEST(Layout, FaceHitBoxBoundaries) {
    // 8 columns: x 63..86, y 16..39
    EXPECT_FALSE(gesichtGetroffen(8, 62, 20));
    EXPECT_TRUE(gesichtGetroffen(8, 63, 20));
    EXPECT_TRUE(gesichtGetroffen(8, 86, 20));
    EXPECT_FALSE(gesichtGetroffen(8, 87, 20)); // the picture's last two columns miss
    EXPECT_FALSE(gesichtGetroffen(8, 70, 15));
    EXPECT_TRUE(gesichtGetroffen(8, 70, 16));
    EXPECT_TRUE(gesichtGetroffen(8, 70, 39));
    EXPECT_FALSE(gesichtGetroffen(8, 70, 40));
    EXPECT_TRUE(gesichtGetroffen(40, 319, 16));
    EXPECT_FALSE(gesichtGetroffen(40, 318, 16));
    EXPECT_TRUE(gesichtGetroffen(40, 342, 39));
    EXPECT_FALSE(gesichtGetroffen(40, 343, 39));
}

TEST(Layout, FieldHitAreaIsExactlyTheField) {
    for (const auto& [W, H] : {std::pair{8, 8}, std::pair{72, 56}, std::pair{8, 56}}) {
        const int32_t rechts = W * 16 + 11, unten = H * 16 + 54;
        EXPECT_TRUE(feldGetroffen(W, H, 12, 55));
        EXPECT_TRUE(feldGetroffen(W, H, rechts, unten));
        EXPECT_FALSE(feldGetroffen(W, H, 11, 55));
        EXPECT_FALSE(feldGetroffen(W, H, 12, 54));
        EXPECT_FALSE(feldGetroffen(W, H, rechts + 1, 60));
        EXPECT_FALSE(feldGetroffen(W, H, 20, unten + 1));
        EXPECT_FALSE(feldGetroffen(W, H, -5, -5));
    }
}

TEST(Layout, PointerToCellTruncatesTowardZero) {
    EXPECT_EQ(spalteBei(12), 1);
    EXPECT_EQ(spalteBei(27), 1);
    EXPECT_EQ(spalteBei(28), 2);
    EXPECT_EQ(zeileBei(55), 1);
    EXPECT_EQ(zeileBei(70), 1);
    EXPECT_EQ(zeileBei(71), 2);
    // left frame and a little beyond: (px - 12) / 16 truncates to 0 up to px = -3
    EXPECT_EQ(spalteBei(0), 1);
    EXPECT_EQ(spalteBei(11), 1);
    EXPECT_EQ(spalteBei(-3), 1);
    EXPECT_EQ(spalteBei(-4), 0);
    EXPECT_EQ(spalteBei(-19), 0);
    EXPECT_EQ(spalteBei(-20), -1);
    EXPECT_EQ(zeileBei(0), -2);
    EXPECT_EQ(zeileBei(40), 1);
    EXPECT_EQ(zeileBei(39), 0);
    EXPECT_EQ(spalteBei(72 * 16 + 11), 72);
    EXPECT_EQ(zeileBei(56 * 16 + 54), 56);
    // extreme coordinates do not overflow
    EXPECT_EQ(spalteBei(INT32_MIN), static_cast<int32_t>((int64_t{INT32_MIN} - 12) / 16 + 1));
    EXPECT_EQ(zeileBei(INT32_MAX), static_cast<int32_t>((int64_t{INT32_MAX} - 55) / 16 + 1));
}

TEST(Layout, WhatLiesUnderAPixel) {
    // column, row, over the field, over the face
    EXPECT_EQ(zeigerOrt(8, 8, 70, 20), (TZeigerOrt{4, -1, false, true}));   // on the face
    EXPECT_EQ(zeigerOrt(8, 8, 139, 182), (TZeigerOrt{8, 8, true, false}));  // last cell
    EXPECT_EQ(zeigerOrt(8, 8, 140, 182), (TZeigerOrt{9, 8, false, false})); // right frame
    EXPECT_EQ(zeigerOrt(8, 8, -30, -30), (TZeigerOrt{-1, -4, false, false}));
}
