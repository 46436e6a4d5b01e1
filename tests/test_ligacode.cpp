// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ligacode.h"
#include "zufall.h"

#include <array>
#include <gtest/gtest.h>

namespace {

// The decoder of the records core reads every code back; these tests hold it to getcode.
TLigacode lesen(const std::string& code) {
    const std::optional<TLigacode> c = ligacodeLesen(code);
    EXPECT_TRUE(c.has_value()) << code;
    return c.value_or(TLigacode{});
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

        const TLigacode g = lesen(code);
        EXPECT_EQ(g.name(), "Erika_Muster   ");
        EXPECT_EQ(g.zeitUnten(), 87);
        EXPECT_EQ(g.stufe(), 3);
        EXPECT_EQ(g.pruefwertUnten(), (5193079 / (3 * 87)) & 0xFFFF);
        EXPECT_EQ(g.pruefsumme, summe(g.block));
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

    const TLigacode g = lesen(code);
    EXPECT_EQ(g.maske, r);
    for (std::size_t p : {1, 3, 7, 13, 17, 19, 23, 25, 27, 29}) EXPECT_EQ(g.block[p], filler[p]);
}

TEST(Ligacode, ZeroMaskShowsThePlainBlock) {
    // The mask draw is the last one; a generator that always answers 0 gives r = 0 and
    // fillers of 3.
    const std::string code = getcode("ABCDEFGHIJKLMNO", 300, 1, [](int32_t) { return 0; });
    EXPECT_EQ(code.substr(14, 2), "00");
    const TLigacode g = lesen(code);
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
    EXPECT_EQ(g.pruefwertUnten(), pruefwert);
}

TEST(Ligacode, OddInputsStayWithinTheCode) {
    TZufall zufall;
    zufall.setzen(5);
    // No time at all would divide by zero: the check value is 0 and nothing is drawn
    // for the time.
    const TLigacode null = lesen(getcode("Unbekannt      ", 0, 1, zugAus(zufall)));
    EXPECT_EQ(null.pruefwertUnten(), 0);
    EXPECT_EQ(null.zeitUnten(), 0);

    // A negative time (only a damaged file holds one) draws nothing; div and mod
    // truncate toward zero and each position keeps the low byte.
    const std::string code = getcode("Unbekannt      ", -300, 1, [](int32_t) { return 1; });
    const TLigacode g = lesen(code);
    EXPECT_EQ(g.block[5], 212);   // -300 mod 256 = -44
    EXPECT_EQ(g.block[15], 0xFF); // (-300 div 256) mod 256 = -1
    const int32_t pw = -17310;    // trunc(5193079 / -300)
    EXPECT_EQ(g.block[9], static_cast<uint8_t>(pw % 256));
    EXPECT_EQ(g.block[21], static_cast<uint8_t>((pw / 256) % 256));

    // A short name is padded with blanks; a long one is cut to 15 characters.
    EXPECT_EQ(lesen(getcode("Kurz", 10, 1, zugAus(zufall))).name(), "Kurz           ");
    EXPECT_EQ(lesen(getcode("ABCDEFGHIJKLMNOPQR", 10, 1, zugAus(zufall))).name(),
              "ABCDEFGHIJKLMNO");
}

// A code as getcode would write it for any time, without its one draw per tenth.
std::string codeFuer(std::string_view name, int32_t zeit, int32_t stufe, TZufall& zufall) {
    TLigacode c = lesen(getcode(name, 1, stufe, zugAus(zufall)));
    c.festeFelderSetzen(zeit, stufe);
    c.pruefsumme = c.summe();
    return ligacodeText(c);
}

TEST(Ligacode, JudgingGivesBackWhatGetcodePackedOrNothing) {
    TZufall zufall;
    zufall.setzen(99);
    for (int32_t zeit : {1, 87, 300}) {
        const TCodePruefung p =
            ligacodePruefen(getcode("Zundel.Meister_", zeit, 4, zugAus(zufall)));
        ASSERT_EQ(p.befund, TCodeBefund::gut) << zeit;
        EXPECT_EQ(p.name, "Zundel.Meister_");
        EXPECT_EQ(p.zeit, zeit);
        EXPECT_EQ(p.stufe, 4);
    }
    // Every time below three times 65536 tenths is the only one that fits its two low bytes
    // and check value; a longer one is read exactly or called ambiguous, never read wrong.
    for (int i = 0; i < 5000; ++i) {
        const int32_t stufe = i % 5 + 1;
        const int32_t grenze = i % 4 == 0 ? 2147483647 / stufe : 3 * 65536;
        const int32_t zeit = zufall.random(grenze) + 1;
        const TCodePruefung p = ligacodePruefen(codeFuer("Unbekannt", zeit, stufe, zufall));
        if (zeit < 3 * 65536) {
            ASSERT_EQ(p.befund, TCodeBefund::gut) << stufe << " " << zeit;
        }
        if (p.befund == TCodeBefund::gut) {
            ASSERT_EQ(p.zeit, zeit) << stufe;
        } else {
            ASSERT_EQ(p.befund, TCodeBefund::zeitMehrdeutig) << stufe << " " << zeit;
        }
    }
}

TEST(Ligacode, JudgingRefusesDamagedAndImpossibleCodes) {
    TZufall zufall;
    zufall.setzen(4711);
    const auto befund = [&](std::string_view name, int32_t zeit, int32_t stufe) {
        return ligacodePruefen(getcode(name, zeit, stufe, zugAus(zufall))).befund;
    };
    // Any one character changed breaks the checksum, r and s included.
    const std::string gut = getcode("Erika_Muster", 87, 3, zugAus(zufall));
    ASSERT_EQ(ligacodePruefen(gut).befund, TCodeBefund::gut);
    for (std::size_t i = 0; i < gut.size(); ++i) {
        std::string falsch = gut;
        falsch[i] = falsch[i] == '7' ? 'C' : '7';
        EXPECT_EQ(ligacodePruefen(falsch).befund, TCodeBefund::pruefsumme) << i;
    }
    const std::string laenger = gut + "0";
    for (std::string_view kaputt :
         {std::string_view(""), std::string_view(gut).substr(1), std::string_view(laenger)})
        EXPECT_EQ(ligacodePruefen(kaputt).befund, TCodeBefund::keinCode);
    std::string klein = gut;
    for (char& c : klein) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(ligacodePruefen(klein == gut ? "x" : klein).befund, TCodeBefund::keinCode);

    EXPECT_EQ(befund("Erika_Muster", 87, 0), TCodeBefund::stufe);
    EXPECT_EQ(befund("Erika_Muster", 87, 6), TCodeBefund::stufe);
    EXPECT_EQ(befund("Kurz1", 87, 1), TCodeBefund::name);         // five characters
    EXPECT_EQ(befund("Erika Muster", 87, 1), TCodeBefund::name);  // a blank inside
    EXPECT_EQ(befund("Jürgen_Muster", 87, 1), TCodeBefund::name); // an umlaut
    EXPECT_EQ(befund("Erika_Muster", -300, 1), TCodeBefund::pruefwert);
    TLigacode anders = lesen(gut);
    anders.block[9] ^= 1; // the check value of another time
    anders.pruefsumme = anders.summe();
    EXPECT_EQ(ligacodePruefen(ligacodeText(anders)).befund, TCodeBefund::pruefwert);
    // No time is no game, although every long time from 80 * 65536 tenths on shares its
    // check value 0.
    EXPECT_EQ(befund("Erika_Muster", 0, 1), TCodeBefund::keineZeit);
    const std::string fuellerZuGross =
        getcode("Erika_Muster", 87, 3, [](int32_t n) { return n == 250 ? 250 : 0; });
    EXPECT_EQ(ligacodePruefen(fuellerZuGross).befund, TCodeBefund::fueller);
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
