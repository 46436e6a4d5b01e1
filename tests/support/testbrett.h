// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "bestzeit.h"
#include "spiel.h"
#include "spielzugang.h"
#include "testuhr.h"
#include "zufall.h"
#include <ostream>
#include <string>
#include <vector>

// Marks in failure messages as the byte they store.
inline void PrintTo(TMarkierung m, std::ostream* os) {
    *os << static_cast<int>(m);
}

// A game with its own generator, clock and best times, for tests.
struct TTestSpiel {
    TZufall zufall;
    TTestUhr uhr;
    TBestzeiten bestzeiten{};
    TSpiel spiel{zufall, uhr, bestzeiten};
};

// The game's part of one frame tick, as the window runs it: the clock's check, then the
// seconds the clock shows.
inline int32_t taktAnzeige(TSpiel& s) {
    s.takt();
    return s.uhrSekunden();
}

// Lays a board whose mines stand where the picture has '*': one string per row, one
// character per column. The counts are built the way laying a mine builds them.
inline void brettLegen(TSpiel& s, const std::vector<std::string>& zeilen) {
    TSpielZugang roh(s);
    roh.hoehe = static_cast<int32_t>(zeilen.size());
    roh.breite = static_cast<int32_t>(zeilen.at(0).size());
    s.feldAnlegen(0);
    int32_t minen = 0;
    for (int32_t y = 1; y <= s.hoehe; ++y)
        for (int32_t x = 1; x <= s.breite; ++x)
            if (zeilen[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)] == '*') {
                roh.feld.zelle(x, y).mine = true;
                ++minen;
                for (int32_t dx = -1; dx <= 1; ++dx)
                    for (int32_t dy = -1; dy <= 1; ++dy)
                        if (dx != 0 || dy != 0) roh.nachbarPlus(x + dx, y + dy);
            }
    roh.feld.minen = minen;
    roh.feld.freieFelder = s.breite * s.hoehe - minen;
}

// Mines among the neighbours of (x, y) on the board, counted afresh.
inline int32_t minenUmher(const TSpiel& s, int32_t x, int32_t y) {
    int32_t n = 0;
    for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
            if ((dx != 0 || dy != 0) && s.imFeld(x + dx, y + dy) &&
                s.feld.zelle(x + dx, y + dy).mine)
                ++n;
    return n;
}

// The board invariants that every rule keeps; returns an empty string when they hold.
inline std::string brettFehler(const TSpiel& s) {
    int32_t offen = 0;
    int32_t flaggen = 0;
    int32_t minen = 0;
    for (int32_t x = 1; x <= maxBreite; ++x)
        for (int32_t y = 1; y <= maxHoehe; ++y) {
            const Tzelle& z = s.feld.zelle(x, y);
            auto ort = [x, y] { return " at " + std::to_string(x) + "," + std::to_string(y); };
            if (!s.imFeld(x, y)) {
                if (z.nachbarn != 0 || z.markierung != TMarkierung::keine || z.mine || z.offen)
                    return "cell outside the board touched" + ort();
                continue;
            }
            if (z.nachbarn != minenUmher(s, x, y)) return "wrong count" + ort();
            if (z.offen && z.mine) return "mine uncovered" + ort();
            if (z.offen && z.markierung == TMarkierung::flagge) return "flag uncovered" + ort();
            if (static_cast<int>(z.markierung) > 2) return "bad mark" + ort();
            offen += z.offen ? 1 : 0;
            flaggen += z.markierung == TMarkierung::flagge ? 1 : 0;
            minen += z.mine ? 1 : 0;
        }
    if (offen != s.feld.aufgedeckt) return "aufgedeckt does not match";
    if (minen != s.feld.minen) return "minen does not match";
    if (s.feld.freieFelder != s.breite * s.hoehe - s.feld.minen) return "freieFelder wrong";
    const bool sieg = s.spielEnde && s.gewonnen;
    if (!sieg && flaggen != s.feld.flaggen) return "flaggen does not match";
    if (sieg && s.feld.flaggen != s.feld.minen) return "flaggen not minen after a win";
    if (sieg && offen != s.feld.freieFelder) return "won with covered free cells";
    return {};
}
