// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "stufen.h"
#include <stdexcept>

namespace {

constexpr TStufe stufen[anzahlFesteStufen] = {
    {8, 8, 10, "Anfänger"},    {16, 16, 40, "Fortgeschrittene"}, {30, 16, 99, "Profis"},
    {36, 24, 180, "Alptraum"}, {40, 30, 250, "Wahnsinn"},
};

} // namespace

const TStufe& festeStufe(int32_t stufe) {
    if (!istFesteStufe(stufe)) throw std::out_of_range("festeStufe: keine feste Stufe");
    return stufen[festeStufeIndex(stufe)];
}

void groesseBegrenzen(int32_t& breite, int32_t& hoehe) {
    if (breite < minBreite) breite = minBreite;
    if (hoehe < minHoehe) hoehe = minHoehe;
    if (breite > maxBreite) breite = maxBreite;
    if (hoehe > maxHoehe) hoehe = maxHoehe;
}

void benutzerdefiniertBegrenzen(int32_t& breite, int32_t& hoehe, int32_t& minen) {
    groesseBegrenzen(breite, hoehe);
    if (minen < 10) minen = 10;
    const int32_t hoechstens = (breite - 1) * (hoehe - 1);
    if (minen > hoechstens) minen = hoechstens;
    if (minen > 999) minen = 999;
}
