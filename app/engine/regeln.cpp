// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spiel.h"
#include "stufen.h"
#include "uhr.h"
#include "zeitrechnung.h"
#include "zufall.h"

namespace {

// The fixed order in which the eight neighbours are visited; the chord's choice of the
// mine shown red depends on it.
constexpr int32_t nachbarDx[8] = {-1, -1, 0, 1, -1, 1, 0, 1};
constexpr int32_t nachbarDy[8] = {-1, 0, -1, -1, 1, 0, 1, 1};

} // namespace

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

bool TSpiel::einzelnAufdecken(int32_t x, int32_t y) {
    if (!imFeld(x, y)) return false;
    Tzelle& z = feld_.zelle(x, y);
    if (z.offen) return false;

    if (feld_.ersterKlick && z.mine) {
        // The clicked cell keeps its mine during the search, so the mine moves elsewhere.
        mineZufaelligLegen();
        z.mine = false;
        for (int i = 0; i < 8; ++i) nachbarMinus(x + nachbarDx[i], y + nachbarDy[i]);
    }

    if (z.mine) {
        spielEnde_ = true;
        gewonnen_ = false;
        endZeit_ = uhr_.jetzt() - startZeit_;
        feld_.explosionX = x;
        feld_.explosionY = y;
        return false;
    }

    z.offen = true;
    if (feld_.ersterKlick) startZeit_ = uhr_.jetzt() - sekundeInTagen;
    feld_.ersterKlick = false;
    feld_.aufgedeckt += 1;

    if (feld_.aufgedeckt == feld_.freieFelder) {
        spielEnde_ = true;
        gewonnen_ = true;
        feld_.flaggen = feld_.minen;
        feld_.explosionX = 0;
        feld_.explosionY = 0;
        endZeit_ = uhr_.jetzt() - startZeit_;
        const int32_t zehntel = zehntelAusTagen(endZeit_);
        if (istFesteStufe(spielstufe_)) {
            // A damaged file may hold a negative time; it counts as no time at all.
            const Tbestzeit& beste = bestzeitDerStufe(bestzeiten_, spielstufe_);
            if (beste.leer() || beste.zeit > zehntel) neuerRekord_ = true;
        }
    }
    return z.nachbarn == 0;
}

// The flood visits the cells in the order of a depth-first recursion over the neighbour
// order: a cell without neighbouring mines has all its neighbours dealt with, each with
// its own flood, before the next neighbour of the cell that opened it.
void TSpiel::aufdecken(int32_t x, int32_t y) {
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

// Every neighbour is visited even after one of them has ended the game, so with wrong
// flags each unflagged mine goes off in turn and the last one is shown red.
void TSpiel::umgebungAufdecken(int32_t x, int32_t y) {
    if (!imFeld(x, y)) return;
    const Tzelle& z = feld_.zelle(x, y);
    if (!z.offen) return;
    if (flaggenZaehlen(x, y) != z.nachbarn) return;
    for (int i = 0; i < 8; ++i) aufdeckenFrei(x + nachbarDx[i], y + nachbarDy[i]);
}
