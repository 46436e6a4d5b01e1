#include "ligacode.h"
#include "zufall.h"

#include <array>
#include <gtest/gtest.h>

namespace {

// What the league server reads back from a code.
struct TGelesen {
    std::array<uint8_t, 30> block{};
    uint8_t r = 0;
    uint8_t s = 0;
    std::string name;
    int32_t zeit = 0;
    int32_t stufe = 0;
    int32_t pruefwert = 0; // two low bytes
};

uint8_t hexByte(const std::string& code, std::size_t pos) {
    return static_cast<uint8_t>(std::stoi(code.substr(pos, 2), nullptr, 16));
}

TGelesen lesen(const std::string& code) {
    TGelesen g;
    g.r = hexByte(code, 14);
    g.s = hexByte(code, 22);
    std::string masken = code.substr(0, 14) + code.substr(16, 6) + code.substr(24);
    for (std::size_t p = 0; p < 30; ++p)
        g.block[p] = static_cast<uint8_t>(hexByte(masken, 2 * p) - (p + 1) * g.r);
    for (int j = 14; j >= 0; --j) g.name += static_cast<char>(g.block[2 * j]);
    g.zeit = g.block[5] + 256 * g.block[15];
    g.stufe = g.block[11];
    g.pruefwert = g.block[9] + 256 * g.block[21];
    return g;
}

uint8_t summe(const std::array<uint8_t, 30>& block) {
    unsigned s = 0;
    for (uint8_t b : block) s += b;
    return static_cast<uint8_t>(s);
}

TZufallsZug zugAus(TZufall& z) {
    return [&z](int32_t n) { return z.random(n); };
}

TEST(Ligacode, CarriesNameTimeLevelAndChecks) {
    TZufall zufall;
    for (uint32_t saat : {0u, 1u, 12345678u, 0xFFFFFFFFu}) {
        zufall.setzen(saat);
        const std::string code = getcode("Erika_Muster   ", 87, 3, zugAus(zufall));
        ASSERT_EQ(code.size(), 64u);
        for (char c : code) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << code;

        const TGelesen g = lesen(code);
        EXPECT_EQ(g.name, "Erika_Muster   ");
        EXPECT_EQ(g.zeit, 87);
        EXPECT_EQ(g.stufe, 3);
        EXPECT_EQ(g.pruefwert, (5193079 / (3 * 87)) & 0xFFFF);
        EXPECT_EQ(g.s, summe(g.block));
        for (std::size_t p : {1, 3, 7, 13, 17, 19, 23, 25, 27, 29}) {
            EXPECT_GE(g.block[p], 3);
            EXPECT_LE(g.block[p], 252);
        }
    }
}

TEST(Ligacode, DrawsInTheFixedOrder) {
    // zeit draws of 1000, 30 fillers of 250, then the mask of 256.
    TZufall zufall;
    zufall.setzen(777);
    const std::string code = getcode("Unbekannt      ", 12, 2, zugAus(zufall));
    TZufall nach;
    nach.setzen(777);
    for (int i = 0; i < 12; ++i) nach.random(1000);
    std::array<uint8_t, 30> filler{};
    for (auto& f : filler) f = static_cast<uint8_t>(nach.random(250) + 3);
    const uint8_t r = static_cast<uint8_t>(nach.random(256));
    EXPECT_EQ(zufall.stand(), nach.stand());

    const TGelesen g = lesen(code);
    EXPECT_EQ(g.r, r);
    for (std::size_t p : {1, 3, 7, 13, 17, 19, 23, 25, 27, 29}) EXPECT_EQ(g.block[p], filler[p]);
}

TEST(Ligacode, ZeroMaskShowsThePlainBlock) {
    // The mask draw is the last one; a generator that always answers 0 gives r = 0 and
    // fillers of 3.
    const std::string code = getcode("ABCDEFGHIJKLMNO", 300, 1, [](int32_t) { return 0; });
    EXPECT_EQ(code.substr(14, 2), "00");
    const TGelesen g = lesen(code);
    EXPECT_EQ(g.block[0], 'O'); // the last character first
    EXPECT_EQ(g.block[28], 'A');
    EXPECT_EQ(g.block[1], 3);
    // 300 tenths on level 1: 44 at position 5, 1 at 15, 1 at 11.
    EXPECT_EQ(g.block[5], 44);
    EXPECT_EQ(g.block[15], 1);
    EXPECT_EQ(g.block[11], 1);
    // Unmasked, the bytes stand in the code as they are.
    EXPECT_EQ(code.substr(0, 2), "4F");
    EXPECT_EQ(code.substr(10, 2), "2C");
    const int32_t pruefwert = 5193079 / 300; // 17310 = 0x439E
    EXPECT_EQ(code.substr(20, 2), "9E");     // position 9
    EXPECT_EQ(g.block[21], 0x43);
    EXPECT_EQ(g.pruefwert, pruefwert);
}

TEST(Ligacode, OddInputsStayWithinTheCode) {
    TZufall zufall;
    zufall.setzen(5);
    // No time at all would divide by zero: the check value is 0 and nothing is drawn
    // for the time.
    const TGelesen null = lesen(getcode("Unbekannt      ", 0, 1, zugAus(zufall)));
    EXPECT_EQ(null.pruefwert, 0);
    EXPECT_EQ(null.zeit, 0);

    // A negative time (only a damaged file holds one) draws nothing; div and mod
    // truncate toward zero and each position keeps the low byte.
    const std::string code = getcode("Unbekannt      ", -300, 1, [](int32_t) { return 1; });
    const TGelesen g = lesen(code);
    EXPECT_EQ(g.block[5], 212);   // -300 mod 256 = -44
    EXPECT_EQ(g.block[15], 0xFF); // (-300 div 256) mod 256 = -1
    const int32_t pw = -17310;    // trunc(5193079 / -300)
    EXPECT_EQ(g.block[9], static_cast<uint8_t>(pw % 256));
    EXPECT_EQ(g.block[21], static_cast<uint8_t>((pw / 256) % 256));

    // A short name is padded with blanks; a long one is cut to 15 characters.
    EXPECT_EQ(lesen(getcode("Kurz", 10, 1, zugAus(zufall))).name, "Kurz           ");
    EXPECT_EQ(lesen(getcode("ABCDEFGHIJKLMNOPQR", 10, 1, zugAus(zufall))).name, "ABCDEFGHIJKLMNO");
}

TEST(Antwort, SplitsAtEveryKindOfLineEnd) {
    using V = std::vector<std::string>;
    EXPECT_EQ(antwortLaden(""), V{});
    EXPECT_EQ(antwortLaden("Danke"), V{"Danke"});
    EXPECT_EQ(antwortLaden("Danke\r\n"), V{"Danke"});
    EXPECT_EQ(antwortLaden("eins\r\nzwei\rdrei\nvier"), (V{"eins", "zwei", "drei", "vier"}));
    EXPECT_EQ(antwortLaden("a\n\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(antwortLaden("a\r\rb"), (V{"a", "", "b"}));
    EXPECT_EQ(antwortLaden("a\n\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(antwortLaden("\r\n"), V{""});
    EXPECT_EQ(antwortLaden("a\r"), V{"a"});
    EXPECT_EQ(antwortLaden(std::string("x\0y\n", 4)), V{std::string("x\0y", 3)});
}

} // namespace
