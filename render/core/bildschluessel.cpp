// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bildschluessel.h"

#include "spiel.h"
#include "zeichnen.h"

TBildSchluessel bildSchluessel(const Surface* ziel, const TSpiel& spiel, const TZeiger& zeiger,
                               int32_t t) {
    TBildSchluessel k;
    k.gueltig = ziel != nullptr;
    k.ziel = ziel;
    k.zielStand = ziel != nullptr ? ziel->writeCount() : 0;
    k.aenderungen = spiel.aenderungen;
    k.spielstufe = spiel.spielstufe;
    k.breite = spiel.breite;
    k.hoehe = spiel.hoehe;
    k.spielEnde = spiel.spielEnde;
    k.gewonnen = spiel.gewonnen;
    k.zeiger = zeiger;
    k.t = t;
    return k;
}

TBildSchluessel bildZusammensetzen(Surface* ziel,
                                   const std::array<TPictureCollectionItem, spriteAnzahl>& bilder,
                                   const TSpiel& spiel, const TZeiger& zeiger, int32_t t) {
    if (ziel == nullptr) return {};
    FillSurface(ziel, 0);
    zeichnen(ziel, bilder, spiel, zeiger, t);
    // Drawn now, so that the count of writes in the key is the one the surface keeps until
    // something else writes to it.
    ziel->flush();
    return bildSchluessel(ziel, spiel, zeiger, t);
}
