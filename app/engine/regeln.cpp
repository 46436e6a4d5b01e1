// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The board rules: laying and sizing a board, uncovering with the first click's rescue and
// the flood, the chord, and marking. Every change to the cells happens in this file; how a
// game ends and what its clock does is the game flow's (spielablauf.cpp).
#include "spiel.h"
#include "stufen.h"
#include "zufall.h"

namespace {

// The fixed order in which the eight neighbours are visited; the chord's choice of the
// mine shown red depends on it.
constexpr int32_t nachbarDx[8] = {-1, -1, 0, 1, -1, 1, 0, 1};
constexpr int32_t nachbarDy[8] = {-1, 0, -1, -1, 1, 0, 1, 1};

} // namespace

// ---- queries and counts on the current board size -------------------------------------

bool TSpiel::imFeld(int32_t x, int32_t y) const {
    return x >= 1 && x <= breite_ && y >= 1 && y <= hoehe_;
}

void TSpiel::nachbarPlus(int32_t x, int32_t y) {
    if (imFeld(x, y)) feld_.zelle(x, y).nachbarn += 1;
}

void TSpiel::nachbarMinus(int32_t x, int32_t y) {
    if (imFeld(x, y)) feld_.zelle(x, y).nachbarn -= 1;
}

bool TSpiel::istGeflaggt(int32_t x, int32_t y) const {
    if (!imFeld(x, y)) return false;
    const Tzelle& z = feld_.zelle(x, y);
    return !z.offen && z.markierung == TMarkierung::flagge;
}

int32_t TSpiel::flaggenZaehlen(int32_t x, int32_t y) const {
    int32_t n = 0;
    for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
            if ((dx != 0 || dy != 0) && istGeflaggt(x + dx, y + dy)) ++n;
    return n;
}

// ---- laying a board -------------------------------------------------------------------

void TSpiel::feldGroesse(int32_t b, int32_t h, int32_t n) {
    ++aenderungen_;
    groesseBegrenzen(b, h);
    breite_ = b;
    hoehe_ = h;
    feldAnlegen(n);
}

void TSpiel::feldAnlegen(int32_t n) {
    ++aenderungen_;
    for (auto& spalte : feld_.zellen)
        for (auto& z : spalte) z = Tzelle{0, TMarkierung::keine, false, false};
    // The player's levels keep n at most (breite-1)*(hoehe-1). A caller that asks for more
    // gets every cell mined, and no more: the search for a free cell would never end.
    const int32_t legbar = n < breite_ * hoehe_ ? n : breite_ * hoehe_;
    for (int32_t i = 0; i < legbar; ++i) mineZufaelligLegen();
    feld_.flaggen = 0;
    feld_.minen = n;
    spielEnde_ = false;
    feld_.freieFelder = breite_ * hoehe_ - n;
    feld_.aufgedeckt = 0;
    feld_.ersterKlick = true;
}

void TSpiel::mineZufaelligLegen() {
    int32_t x = 0;
    int32_t y = 0;
    do {
        x = zufall_.random(breite_) + 1;
        y = zufall_.random(hoehe_) + 1;
    } while (feld_.zelle(x, y).mine);
    feld_.zelle(x, y).mine = true;
    for (int i = 0; i < 8; ++i) nachbarPlus(x + nachbarDx[i], y + nachbarDy[i]);
}

// The clicked cell keeps its mine during the search, so the mine moves elsewhere.
void TSpiel::mineVerlegen(int32_t x, int32_t y) {
    mineZufaelligLegen();
    feld_.zelle(x, y).mine = false;
    for (int i = 0; i < 8; ++i) nachbarMinus(x + nachbarDx[i], y + nachbarDy[i]);
}

// ---- uncovering -----------------------------------------------------------------------

bool TSpiel::einzelnAufdecken(int32_t x, int32_t y) {
    if (!imFeld(x, y)) return false;
    Tzelle& z = feld_.zelle(x, y);
    if (z.offen) return false;

    // The first click is never a mine, unless the board holds nothing but mines: then
    // there is no cell to move it to, and it goes off like any other.
    if (feld_.ersterKlick && z.mine && feld_.freieFelder > 0) mineVerlegen(x, y);

    if (z.mine) {
        spielVerloren(x, y);
        return false;
    }

    z.offen = true;
    if (feld_.ersterKlick) uhrStarten();
    feld_.ersterKlick = false;
    feld_.aufgedeckt += 1;

    if (feld_.aufgedeckt == feld_.freieFelder) spielGewonnen();
    return z.nachbarn == 0;
}

// The flood visits the cells in the order of a depth-first recursion over the neighbour
// order: a cell without neighbouring mines has all its neighbours dealt with, each with
// its own flood, before the next neighbour of the cell that opened it.
void TSpiel::aufdecken(int32_t x, int32_t y) {
    ++aenderungen_;
    if (!einzelnAufdecken(x, y)) return;
    flut_.clear();
    flut_.push_back({x, y, 0});
    while (!flut_.empty()) {
        TFlutSchritt& schritt = flut_.back();
        if (schritt.naechster == 8) {
            flut_.pop_back();
            continue;
        }
        const int32_t nx = schritt.x + nachbarDx[schritt.naechster];
        const int32_t ny = schritt.y + nachbarDy[schritt.naechster];
        schritt.naechster += 1;
        if (!imFeld(nx, ny)) continue;
        const Tzelle& z = feld_.zelle(nx, ny);
        if (z.offen || z.markierung == TMarkierung::flagge) continue;
        if (einzelnAufdecken(nx, ny)) flut_.push_back({nx, ny, 0});
    }
}

void TSpiel::aufdeckenFrei(int32_t x, int32_t y) {
    if (!imFeld(x, y)) return;
    const Tzelle& z = feld_.zelle(x, y);
    if (!z.offen && z.markierung != TMarkierung::flagge) aufdecken(x, y);
}

// ---- the chord and the marks ----------------------------------------------------------

// Every neighbour is visited even after one of them has ended the game, so with wrong
// flags each unflagged mine goes off in turn and the last one is shown red.
void TSpiel::umgebungAufdecken(int32_t x, int32_t y) {
    ++aenderungen_;
    if (!imFeld(x, y)) return;
    const Tzelle& z = feld_.zelle(x, y);
    if (!z.offen) return;
    if (flaggenZaehlen(x, y) != z.nachbarn) return;
    for (int i = 0; i < 8; ++i) aufdeckenFrei(x + nachbarDx[i], y + nachbarDy[i]);
}

// No mark, flag, question mark (when the marks option is on), no mark again.
void TSpiel::markieren(int32_t x, int32_t y) {
    ++aenderungen_;
    if (spielEnde_ || !imFeld(x, y)) return;
    Tzelle& z = feld_.zelle(x, y);
    if (z.offen) return;
    switch (z.markierung) {
    case TMarkierung::keine:
        z.markierung = TMarkierung::flagge;
        feld_.flaggen += 1;
        break;
    case TMarkierung::flagge:
        feld_.flaggen -= 1;
        z.markierung = merker ? TMarkierung::fragezeichen : TMarkierung::keine;
        break;
    default:
        z.markierung = TMarkierung::keine;
        break;
    }
}
