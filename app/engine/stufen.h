// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

// The five fixed levels and the custom field.
constexpr int32_t stufeAnfaenger = 1;
constexpr int32_t stufeFortgeschrittene = 2;
constexpr int32_t stufeProfis = 3;
constexpr int32_t stufeAlptraum = 4;
constexpr int32_t stufeWahnsinn = 5;
constexpr int32_t stufeBenutzerdefiniert = 6;

// The levels that keep a best time.
constexpr bool istFesteStufe(int32_t stufe) {
    return stufe >= stufeAnfaenger && stufe <= stufeWahnsinn;
}

struct TStufe {
    int32_t breite;
    int32_t hoehe;
    int32_t minen;
    const char* name; // "Anfänger", ... (UTF-8)
};

// Level 1..5.
const TStufe& festeStufe(int32_t stufe);

// Brings a custom field into range, in this order: width 8..72, height 8..56, mines at
// least 10, then at most (width-1)*(height-1), then at most 999.
void benutzerdefiniertBegrenzen(int32_t& breite, int32_t& hoehe, int32_t& minen);
