#pragma once
#include <cstddef>
#include <cstdint>

// One square of the board.
struct Tzelle {
    int32_t nachbarn;   // mines among the up to eight neighbours on the board
    uint8_t markierung; // 0 none, 1 flag, 2 question mark
    bool mine;
    bool offen;
};

constexpr int32_t maxBreite = 72;
constexpr int32_t maxHoehe = 56;

// The board: storage for the largest field, addressed column first and from 1,
// the row index varying fastest; a smaller board uses the upper left part.
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
