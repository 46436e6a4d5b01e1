// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The game flow: a new game and a level, the states a game passes through, its clock, how
// it ends, and whether a win is a new best time. The cells themselves change only in the
// board rules (regeln.cpp); a clock set back is handled in uhrzurueckgestellt.cpp.
#include "spiel.h"
#include "uhr.h"
#include "zeitrechnung.h"

TSpiel::TSpiel(TZufall& zufall, const TUhr& uhr, const TBestzeiten& bestzeiten)
    : zufall_(zufall), uhr_(uhr), bestzeiten_(bestzeiten) {
    flut_.reserve(static_cast<std::size_t>(maxBreite) * maxHoehe);
}

void TSpiel::stufeAnlegen(int32_t stufe, int32_t b, int32_t h, int32_t n) {
    ++aenderungen_;
    spielstufe_ = stufe;
    feldGroesse(b, h, n);
}

void TSpiel::spielBereit() {
    ++aenderungen_;
    spielEnde_ = false;
    neuerRekord_ = false;
    letzteZeit_ = uhr_.jetzt();
}

// ---- the clock ------------------------------------------------------------------------

// One second before now, so that the clock shows 1 straight after the first uncover.
void TSpiel::uhrStarten() {
    startZeit_ = uhr_.jetzt() - sekundeInTagen;
}

// The clock stops: the game's time is frozen, for the display and for the record.
void TSpiel::uhrAnhalten() {
    endZeit_ = uhr_.jetzt() - startZeit_;
}

int32_t TSpiel::uhrSekunden() const {
    double spanne = 0;
    if (!spielEnde_ && !feld_.ersterKlick)
        spanne = uhr_.jetzt() - startZeit_;
    else if (spielEnde_)
        spanne = endZeit_;
    const int32_t sekunden = sekundenAusTagen(spanne);
    return sekunden > 999 ? 999 : sekunden;
}

// ---- the end of a game ----------------------------------------------------------------

void TSpiel::spielVerloren(int32_t x, int32_t y) {
    spielEnde_ = true;
    gewonnen_ = false;
    uhrAnhalten();
    feld_.explosionX = x;
    feld_.explosionY = y;
}

void TSpiel::spielGewonnen() {
    spielEnde_ = true;
    gewonnen_ = true;
    feld_.flaggen = feld_.minen;
    feld_.explosionX = 0;
    feld_.explosionY = 0;
    uhrAnhalten();
    const int32_t zehntel = zehntelAusTagen(endZeit_);
    if (istFesteStufe(spielstufe_)) {
        // A damaged file may hold a negative time; it counts as no time at all.
        const Tbestzeit& beste = bestzeitDerStufe(bestzeiten_, spielstufe_);
        if (beste.leer() || beste.zeit > zehntel) neuerRekord_ = true;
    }
}
