// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "kurzstring.h"
#include "stufen.h"
#include <array>
#include <cstdint>

// One best time: the holder's name and the time in tenths of a second.
// A zeit of 0 or less is an empty entry, whatever the name holds.
struct Tbestzeit {
    TKurzString15 name;
    int32_t zeit = 0;

    bool leer() const { return zeit <= 0; }
    bool operator==(const Tbestzeit&) const = default;
};

// The best times of the fixed levels, Anfänger first.
using TBestzeiten = std::array<Tbestzeit, anzahlFesteStufen>;

// The entry of a fixed level 1..5.
inline Tbestzeit& bestzeitDerStufe(TBestzeiten& bestzeiten, int32_t stufe) {
    return bestzeiten[festeStufeIndex(stufe)];
}
inline const Tbestzeit& bestzeitDerStufe(const TBestzeiten& bestzeiten, int32_t stufe) {
    return bestzeiten[festeStufeIndex(stufe)];
}
