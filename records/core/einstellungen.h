// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "bestzeit.h"
#include <array>
#include <cstddef>
#include <cstdint>

// The settings and best-times record, field for field as "zundrec.dat" holds it.
struct TEinstellungen {
    static constexpr std::size_t dateiGroesse = 136;

    int32_t stufe = 0;
    int32_t feldHoehe = 0;
    int32_t feldBreite = 0;
    int32_t feldMinen = 0;
    // The marks option as the file stores it. The game's own is TSpiel::merker: start-up
    // takes it from here, closing puts it back.
    uint8_t merkerAn = 0;
    TKurzString15 nameEingabe;
    std::array<uint8_t, 3> fuellung{};
    TBestzeiten bestzeiten{};

    // Entry of a fixed level 1..5.
    Tbestzeit& bestzeit(int32_t stufe) { return bestzeitDerStufe(bestzeiten, stufe); }
    const Tbestzeit& bestzeit(int32_t stufe) const { return bestzeitDerStufe(bestzeiten, stufe); }

    bool operator==(const TEinstellungen&) const = default;
};
