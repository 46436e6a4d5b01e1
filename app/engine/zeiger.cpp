// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "zeiger.h"
#include "spiel.h"

namespace {

// The cell under the pointer, when the pointer is over a cell of the board.
bool aufZelle(const TSpiel& spiel, const TZeiger& zeiger) {
    return zeiger.ueberFeld && spiel.imFeld(zeiger.mausX, zeiger.mausY);
}

} // namespace

void mausBewegt(TZeiger& zeiger, const TZeigerOrt& ort) {
    zeiger.mausX = ort.spalte;
    zeiger.mausY = ort.zeile;
    zeiger.ueberGesicht = ort.ueberGesicht;
    zeiger.ueberFeld = ort.ueberFeld;
}

void mausGedrueckt(TSpiel& spiel, TZeiger& zeiger, int taste) {
    switch (taste) {
    case mbLinks:
        zeiger.linksUnten = true;
        if (!zeiger.rechtsUnten) zeiger.einzelKlick = true;
        if (zeiger.ueberGesicht) zeiger.gesichtGedrueckt = true;
        break;
    case mbMitte:
        zeiger.mitteUnten = true;
        break;
    case mbRechts:
        // Once the game is over the right button is not even tracked.
        if (spiel.spielEnde) break;
        zeiger.einzelKlick = false;
        zeiger.rechtsUnten = true;
        if (aufZelle(spiel, zeiger) && !spiel.feld.zelle(zeiger.mausX, zeiger.mausY).offen &&
            !zeiger.linksUnten)
            spiel.markieren(zeiger.mausX, zeiger.mausY);
        break;
    default:
        break;
    }
}

void mausLosgelassen(TSpiel& spiel, TZeiger& zeiger, int taste) {
    // Whether the cell under the pointer may be acted on by this release at all.
    auto zelleFrei = [&] {
        return aufZelle(spiel, zeiger) && !zeiger.gesichtGedrueckt && !spiel.spielEnde &&
               !spiel.istGeflaggt(zeiger.mausX, zeiger.mausY);
    };
    switch (taste) {
    case mbLinks:
        zeiger.linksUnten = false;
        if (zelleFrei() && !zeiger.rechtsUnten && zeiger.einzelKlick)
            spiel.aufdecken(zeiger.mausX, zeiger.mausY);
        if (zelleFrei() && zeiger.rechtsUnten) spiel.umgebungAufdecken(zeiger.mausX, zeiger.mausY);
        if (zeiger.gesichtGedrueckt && zeiger.ueberGesicht) spiel.neuesSpiel();
        zeiger.gesichtGedrueckt = false;
        break;
    case mbRechts:
        zeiger.rechtsUnten = false;
        if (zelleFrei() && zeiger.linksUnten) spiel.umgebungAufdecken(zeiger.mausX, zeiger.mausY);
        break;
    case mbMitte:
        zeiger.mitteUnten = false;
        if (zelleFrei()) spiel.umgebungAufdecken(zeiger.mausX, zeiger.mausY);
        break;
    default:
        break;
    }
    zeiger.einzelKlick = false;
}

void zeigerBereit(TZeiger& zeiger) {
    zeiger.gesichtGedrueckt = false;
    zeiger.einzelKlick = false;
}
