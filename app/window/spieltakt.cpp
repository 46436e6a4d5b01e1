// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "bildschluessel.h"
#include "dxdraw.h"
#include "dximagelist.h"
#include "dxtimer.h"

void TForm1::Neu1Click(QObject*) {
    spiel.neuesSpiel();
}

void TForm1::DXTimer1Timer(QObject*, int32_t) {
    spiel.takt();
    const int32_t t = spiel.uhrSekunden();
    bildAuffrischen(letztesBild_, DXDraw1->Surface(), DXImageList1->Items(), spiel, zeiger, t);
    DXDraw1->ShowFrame();
    framezaehler_.bildGezeigt(screen());
    if (!spiel.neuerRekord) return;
    neuerRekordSchritt();
}

bool TForm1::bildFuerAnstrich() {
    if (DXImageList1 == nullptr || DXTimer1 == nullptr) return false; // still being made
    Surface* hinten = DXDraw1->Surface();
    const int32_t t = spiel.uhrSekunden();
    const TBildSchluessel jetzt = bildSchluessel(hinten, spiel, zeiger, t);
    if (jetzt == letztesBild_) return false;
    // While ticks run they compose, and a paint shows the last frame; else the clock
    // stands still on the screen until the board or the level changes.
    const bool haeltBild = letztesBild_.gueltig && jetzt.ziel == letztesBild_.ziel &&
                           jetzt.zielStand == letztesBild_.zielStand;
    if (haeltBild && (DXTimer1->Hooked() || gleichesBrett(jetzt, letztesBild_))) return false;
    letztesBild_ = bildZusammensetzen(hinten, DXImageList1->Items(), spiel, zeiger, t);
    if (!letztesBild_.gueltig) return false;
    framezaehler_.bildGezeigt(screen());
    return true;
}
