// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpkopf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> texte(const TKopfTeil& teil) {
    std::vector<std::string> t;
    for (const TPufferZeile& z : teil.zeilen) t.emplace_back(z.text);
    return t;
}

TEST(KopfZerlegen, LinesUpToTheEmptyLineAcrossCalls) {
    TKopfZaehler zaehler;
    // A CR belongs to the line end only right before the LF; a zero byte hides what follows.
    const std::string erster = "HTTP/1.1 200 OK\r\nA: 1\nB:\r2\r\nC: 3";
    TKopfTeil teil = kopfZerlegen(erster, zaehler);
    EXPECT_EQ(teil.stand, TKopfStand::unvollstaendig);
    EXPECT_EQ(texte(teil), (std::vector<std::string>{"HTTP/1.1 200 OK", "A: 1", "B:\r2"}));
    EXPECT_EQ(teil.verbraucht, erster.size() - 4);
    EXPECT_EQ(teil.zeilen.back().ende, teil.verbraucht);

    teil = kopfZerlegen("C: 3\r\n\r\nrumpf\n", zaehler);
    EXPECT_EQ(teil.stand, TKopfStand::vollstaendig);
    EXPECT_EQ(texte(teil), std::vector<std::string>{"C: 3"});
    EXPECT_EQ(teil.verbraucht, 8u);
    EXPECT_EQ(zaehler.zeilen, 4);
    EXPECT_EQ(zaehler.bytes, erster.size() + 4);

    TKopfZaehler z2;
    teil = kopfZerlegen(std::string("X: a\0b\nY\n", 9), z2);
    EXPECT_EQ(teil.stand, TKopfStand::unvollstaendig);
    EXPECT_TRUE(teil.zeilen.empty());

    // "<html>" in any case, first or later, starts the body at that line.
    teil = kopfZerlegen("HTTP/1.0 200 OK\n<HtMl><p>\nx\n\n", z2);
    EXPECT_EQ(teil.stand, TKopfStand::ohneKopf);
    EXPECT_EQ(texte(teil), std::vector<std::string>{"HTTP/1.0 200 OK"});
    EXPECT_EQ(teil.verbraucht, 16u);
}

TEST(KopfZerlegen, BoundsOnLinesAndBytes) {
    std::string hundert;
    for (int i = 0; i < kopfGrenzeZeilen; ++i) hundert += "X: " + std::to_string(i) + "\r\n";
    TKopfZaehler zaehler;
    TKopfTeil teil = kopfZerlegen(hundert + "\r\n", zaehler);
    EXPECT_EQ(teil.stand, TKopfStand::vollstaendig);
    EXPECT_EQ(teil.zeilen.size(), 100u);

    zaehler = {};
    teil = kopfZerlegen(hundert + "Y: 1\r\n\r\n", zaehler);
    EXPECT_EQ(teil.stand, TKopfStand::zuVieleZeilen);
    EXPECT_EQ(teil.zeilen.size(), 100u);
    EXPECT_EQ(teil.verbraucht, hundert.size());

    // Counted across calls: the line that crosses 64 KiB is refused, even without its end.
    zaehler = {};
    const std::string lang = "X: " + std::string(30000, 'x') + "\r\n";
    EXPECT_EQ(kopfZerlegen(lang + lang, zaehler).stand, TKopfStand::unvollstaendig);
    teil = kopfZerlegen(lang, zaehler);
    EXPECT_EQ(teil.stand, TKopfStand::zuVieleBytes);
    EXPECT_TRUE(teil.zeilen.empty());
    zaehler = {};
    EXPECT_EQ(kopfZerlegen(std::string(kopfGrenzeBytes, 'a'), zaehler).stand,
              TKopfStand::unvollstaendig);
    EXPECT_EQ(kopfZerlegen(std::string(kopfGrenzeBytes + 1, 'a'), zaehler).stand,
              TKopfStand::zuVieleBytes);
}

TEST(KopfFeldDeuten, StatusFieldsAndOthers) {
    TKopfFeld f = kopfFeldDeuten("HTTP/1.0 404 Not Found");
    EXPECT_EQ(f.art, TKopfFeld::status);
    EXPECT_EQ(f.code, "404");
    EXPECT_EQ(f.grund, "Not Found");
    EXPECT_EQ(kopfFeldDeuten("HTTP/1.1 2").code, "2");
    EXPECT_EQ(kopfFeldDeuten("HTTP/2.0 200 OK").art, TKopfFeld::sonstige);
    f = kopfFeldDeuten("Content-TYPE:   Text/Plain");
    EXPECT_EQ(f.art, TKopfFeld::feld);
    EXPECT_EQ(f.name, "content-type");
    EXPECT_EQ(f.wert, "Text/Plain");
    EXPECT_EQ(kopfFeldDeuten("X:   ").wert, " "); // the last character is never skipped
    EXPECT_EQ(kopfFeldDeuten("ohne Doppelpunkt").art, TKopfFeld::sonstige);
}

} // namespace
