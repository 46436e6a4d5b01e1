// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "testuhr.h"
#include "zufall.h"
#include <gtest/gtest.h>

namespace {

TEST(Zufall, FirstDrawsFromSeedOne) {
    // 1 * 134775813 + 1 = 134775814; 134775814 * 10 = 1347758140 < 2^32, so 0.
    // 134775814 * 134775813 + 1 = 18164524... mod 2^32 = 3698175007; * 10 >> 32 = 8.
    TZufall z;
    z.setzen(1);
    EXPECT_EQ(z.random(10), 0);
    EXPECT_EQ(z.stand(), 134775814u);
    EXPECT_EQ(z.random(10), 8);
    EXPECT_EQ(z.stand(), 3698175007u);
    // 3698175007 * 134775813 + 1 mod 2^32 = 870078620; * 72 >> 32 = 14.
    EXPECT_EQ(z.random(72), 14);
    // 870078620 * 134775813 + 1 mod 2^32 = 1172187917; * 1000 >> 32 = 272.
    EXPECT_EQ(z.random(1000), 272);
}

TEST(Zufall, ZeroSeedAndTheWidestRange) {
    TZufall z;
    EXPECT_EQ(z.stand(), 0u);
    EXPECT_EQ(z.random(8), 0);
    EXPECT_EQ(z.stand(), 1u);
    // 12345678 * 134775813 + 1 mod 2^32 = 2689212039; the product with 2^31 - 1 needs
    // all 64 bits: (2689212039 * 2147483647) >> 32 = 1344606018.
    z.setzen(12345678);
    EXPECT_EQ(z.random(2147483647), 1344606018);
}

TEST(Zufall, DrawsStayInRange) {
    TZufall z;
    z.setzen(0xDEADBEEF);
    for (int32_t n : {1, 2, 7, 8, 56, 72, 999}) {
        for (int i = 0; i < 2000; ++i) {
            const int32_t r = z.random(n);
            ASSERT_GE(r, 0);
            ASSERT_LT(r, n);
        }
    }
}

TEST(Zufall, SeedsFromTheUniversalTimeOfDay) {
    TTestUhr uhr;
    uhr.utcMillis = ((13u * 60 + 7u) * 60 + 42u) * 1000 + 345u;
    TZufall z;
    z.randomize(uhr);
    EXPECT_EQ(z.stand(), 47262345u);
}

} // namespace
