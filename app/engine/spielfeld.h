// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "stufen.h"
#include <cstddef>
#include <cstdint>

// The player's mark on a cell, with the byte the cell stores for it.
enum class TMarkierung : uint8_t { keine = 0, flagge = 1, fragezeichen = 2 };

// One square of the board.
struct Tzelle {
    int32_t nachbarn; // mines among the up to eight neighbours on the board
    TMarkierung markierung;
    bool mine;
    bool offen;
};

// The board: storage for the largest field (the level table's bounds), addressed column
// first and from 1, the row index varying fastest; a smaller board uses the upper left part.
struct Tspielfeld {
    Tzelle zellen[maxBreite][maxHoehe];
    int32_t minen;
    int32_t flaggen;
    int32_t explosionX;
    int32_t explosionY;
    int32_t aufgedeckt;
    int32_t freieFelder;
    bool ersterKlick;

    Tzelle& zelle(int32_t x, int32_t y) {
        return zellen[static_cast<std::size_t>(x - 1)][static_cast<std::size_t>(y - 1)];
    }
    const Tzelle& zelle(int32_t x, int32_t y) const {
        return zellen[static_cast<std::size_t>(x - 1)][static_cast<std::size_t>(y - 1)];
    }
};
