// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>

// The 43 sprites of the image list. The drawing code computes indices: a counter
// digit d is sprite d, an uncovered cell with n neighbouring mines is sprite 31 + n,
// and the five faces stand together from 25 on.
constexpr int32_t spriteAnzahl = 43;

constexpr int32_t spriteZiffer0 = 0; // .. 9: counter digits, digit d is sprite d
constexpr int32_t spriteGraueMine = 10;
constexpr int32_t spriteGrauHoch = 11;
constexpr int32_t spriteRoteMine = 12;
constexpr int32_t spriteFlagge = 13;
constexpr int32_t spriteFrageHoch = 14;
constexpr int32_t spriteFrageTief = 15;
constexpr int32_t spriteLo = 16;
constexpr int32_t spriteMo = 17;
constexpr int32_t spriteRo = 18;
constexpr int32_t spriteLi = 19;
constexpr int32_t spriteRe = 20;
constexpr int32_t spriteLu = 21;
constexpr int32_t spriteMu = 22;
constexpr int32_t spriteRu = 23;
constexpr int32_t spriteAnz = 24;
constexpr int32_t spriteSmile1 = 25; // normal
constexpr int32_t spriteSmile2 = 26; // lost
constexpr int32_t spriteSmile3 = 27; // left button held
constexpr int32_t spriteSmile4 = 28; // won
constexpr int32_t spriteSmile5 = 29; // face button held down
constexpr int32_t spriteMinus = 30;
constexpr int32_t spriteNull = 31; // .. 39: uncovered cell, 31 + neighbouring mines
constexpr int32_t spriteEins = 32;
constexpr int32_t spriteZwei = 33;
constexpr int32_t spriteDrei = 34;
constexpr int32_t spriteVier = 35;
constexpr int32_t spriteFuenf = 36;
constexpr int32_t spriteSechs = 37;
constexpr int32_t spriteSieben = 38;
constexpr int32_t spriteAcht = 39;
constexpr int32_t spriteRotesKreuz = 40;
constexpr int32_t spriteWahnsinn = 41;
constexpr int32_t spriteWahn2 = 42;

// The colour left out when a transparent sprite (41, 42) is drawn.
constexpr uint32_t spriteTransparenzFarbe = 0xBFBFBF;

// What the catalogue fixes about one sprite.
struct TSpriteEintrag {
    const char* name; // the item's stored name; empty for the digits
    int32_t breite;
    int32_t hoehe;
    int32_t bits; // bits per pixel of the stored picture
    bool transparent;
};

constexpr std::array<TSpriteEintrag, spriteAnzahl> spriteKatalog{{
    {"", 13, 23, 4, false},           {"", 13, 23, 4, false},
    {"", 13, 23, 4, false},           {"", 13, 23, 4, false},
    {"", 13, 23, 4, false},           {"", 13, 23, 4, false},
    {"", 13, 23, 4, false},           {"", 13, 23, 4, false},
    {"", 13, 23, 4, false},           {"", 13, 23, 4, false},
    {"graueMine", 16, 16, 4, false},  {"grauHoch", 16, 16, 4, false},
    {"roteMine", 16, 16, 4, false},   {"flagge", 16, 16, 4, false},
    {"frageHoch", 16, 16, 4, false},  {"frageTief", 16, 16, 4, false},
    {"lo", 12, 55, 4, false},         {"mo", 16, 55, 4, false},
    {"ro", 12, 55, 4, false},         {"li", 12, 16, 4, false},
    {"re", 12, 16, 4, false},         {"lu", 12, 12, 4, false},
    {"mu", 16, 12, 4, false},         {"ru", 12, 12, 4, false},
    {"anz", 41, 25, 4, false},        {"smile 1", 26, 26, 4, false},
    {"smile 2", 26, 26, 4, false},    {"smile 3", 26, 26, 4, false},
    {"smile 4", 26, 26, 4, false},    {"smile 5", 26, 26, 4, false},
    {"minus", 13, 23, 4, false},      {"null", 16, 16, 4, false},
    {"eins", 16, 16, 4, false},       {"zwei", 16, 16, 4, false},
    {"drei", 16, 16, 4, false},       {"vier", 16, 16, 4, false},
    {"fuenf", 16, 16, 4, false},      {"sechs", 16, 16, 4, false},
    {"sieben", 16, 16, 4, false},     {"acht", 16, 16, 4, false},
    {"rotesKreuz", 16, 16, 4, false}, {"wahnsinn", 192, 144, 8, true},
    {"wahn2", 170, 33, 8, true},
}};

// The asset file that holds sprite `index`: two-digit index, "_", a name without
// blanks ("00_ziffer0.bmp", "25_smile1.bmp", "42_wahn2.bmp"). Empty when out of range.
std::string spriteDateiname(int32_t index);
