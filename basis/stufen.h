// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>

// The level table: the five fixed levels, the custom field, and the sizes a board may have.

constexpr int32_t stufeAnfaenger = 1;
constexpr int32_t stufeFortgeschrittene = 2;
constexpr int32_t stufeProfis = 3;
constexpr int32_t stufeAlptraum = 4;
constexpr int32_t stufeWahnsinn = 5;
constexpr int32_t stufeBenutzerdefiniert = 6;

// The fixed levels, each with a best time and a league board of its own.
constexpr int32_t anzahlFesteStufen = stufeWahnsinn;

// The levels that keep a best time.
constexpr bool istFesteStufe(int32_t stufe) {
    return stufe >= stufeAnfaenger && stufe <= stufeWahnsinn;
}
// Any level, fixed or custom.
constexpr bool istStufe(int32_t stufe) {
    return stufe >= stufeAnfaenger && stufe <= stufeBenutzerdefiniert;
}
// Where a fixed level stands in a table of the five (best times, league boards).
constexpr std::size_t festeStufeIndex(int32_t stufe) {
    return static_cast<std::size_t>(stufe - stufeAnfaenger);
}

struct TStufe {
    int32_t breite;
    int32_t hoehe;
    int32_t minen;
    const char* name; // "Anfänger", ... (UTF-8)
};

// Level 1..5; throws std::out_of_range for any other.
const TStufe& festeStufe(int32_t stufe);

// The board's size bounds; the board's storage is made for the largest.
constexpr int32_t minBreite = 8;
constexpr int32_t minHoehe = 8;
constexpr int32_t maxBreite = 72;
constexpr int32_t maxHoehe = 56;

// Brings a board size into range, in this order: width at least 8, height at least 8,
// width at most 72, height at most 56.
void groesseBegrenzen(int32_t& breite, int32_t& hoehe);

// Brings a custom field into range: the size as groesseBegrenzen does, then mines at
// least 10, then at most (width-1)*(height-1), then at most 999.
void benutzerdefiniertBegrenzen(int32_t& breite, int32_t& hoehe, int32_t& minen);
