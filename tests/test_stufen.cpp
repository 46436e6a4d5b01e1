// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "stufen.h"
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(Stufen, TheFixedLevelsAndTheCustomClamping) {
    const TStufe& profis = festeStufe(stufeProfis);
    EXPECT_EQ(profis.breite, 30);
    EXPECT_EQ(profis.hoehe, 16);
    EXPECT_EQ(profis.minen, 99);
    EXPECT_STREQ(festeStufe(1).name, "Anfänger");
    EXPECT_STREQ(festeStufe(2).name, "Fortgeschrittene");
    EXPECT_STREQ(festeStufe(4).name, "Alptraum");
    EXPECT_EQ(festeStufe(4).minen, 180);
    EXPECT_STREQ(festeStufe(5).name, "Wahnsinn");
    EXPECT_EQ(festeStufe(5).breite, 40);
    EXPECT_EQ(festeStufe(5).hoehe, 30);
    EXPECT_EQ(festeStufe(5).minen, 250);
    EXPECT_THROW(festeStufe(6), std::out_of_range);

    struct Fall {
        int32_t b, h, n, eb, eh, en;
    };
    for (Fall f :
         {Fall{100, 5, 3, 72, 8, 10}, Fall{8, 8, 60, 8, 8, 49}, Fall{72, 56, 5000, 72, 56, 999},
          Fall{100, 5, 2000, 72, 8, 497}, Fall{-4, 99999, -1, 8, 56, 10}}) {
        int32_t b = f.b, h = f.h, n = f.n;
        benutzerdefiniertBegrenzen(b, h, n);
        EXPECT_EQ(b, f.eb);
        EXPECT_EQ(h, f.eh);
        EXPECT_EQ(n, f.en) << f.b << "x" << f.h << " " << f.n;
    }
}

} // namespace
