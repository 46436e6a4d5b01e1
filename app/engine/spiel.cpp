// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spiel.h"
#include "uhr.h"
#include "zeitrechnung.h"
#include "zufall.h"

TSpiel::TSpiel(TZufall& zufall, const TUhr& uhr, const TBestzeiten& bestzeiten)
    : zufall_(zufall), uhr_(uhr), bestzeiten_(bestzeiten) {
    flut_.reserve(static_cast<std::size_t>(maxBreite) * maxHoehe);
}

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

void TSpiel::feldGroesse(int32_t b, int32_t h, int32_t n) {
    groesseBegrenzen(b, h);
    breite_ = b;
    hoehe_ = h;
    feldAnlegen(n);
}

void TSpiel::feldAnlegen(int32_t n) {
    for (auto& spalte : feld_.zellen)
        for (auto& z : spalte) z = Tzelle{0, TMarkierung::keine, false, false};
    // Callers keep n at most (breite-1)*(hoehe-1); the cap only guards the search for a
    // free cell against a caller that does not.
    const int32_t legbar = n < breite_ * hoehe_ ? n : breite_ * hoehe_;
    for (int32_t i = 0; i < legbar; ++i) mineZufaelligLegen();
    feld_.flaggen = 0;
    feld_.minen = n;
    spielEnde_ = false;
    feld_.freieFelder = breite_ * hoehe_ - n;
    feld_.aufgedeckt = 0;
    feld_.ersterKlick = true;
}

void TSpiel::stufeAnlegen(int32_t stufe, int32_t b, int32_t h, int32_t n) {
    spielstufe_ = stufe;
    feldGroesse(b, h, n);
}

void TSpiel::spielBereit() {
    spielEnde_ = false;
    neuerRekord_ = false;
    letzteZeit_ = uhr_.jetzt();
}

void TSpiel::markieren(int32_t x, int32_t y) {
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

int32_t TSpiel::taktSekunden() {
    if (!(uhr_.jetzt() >= letzteZeit_)) neuesSpiel();
    letzteZeit_ = uhr_.jetzt();
    double spanne = 0;
    if (!spielEnde_ && !feld_.ersterKlick)
        spanne = uhr_.jetzt() - startZeit_;
    else if (spielEnde_)
        spanne = endZeit_;
    const int32_t sekunden = sekundenAusTagen(spanne);
    return sekunden > 999 ? 999 : sekunden;
}
