// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "blit.h"
#include "katalog.h"
#include "zeiger.h"

#include <array>
#include <cstdint>

class TSpiel;

// Everything a composed frame depends on, and the surface that holds it: a frame whose key
// equals the key of the frame last composed would be the same pixels again, which the
// surface holds already (bildentscheidung.h decides on it). zeichnen reads nothing that is
// not in here.
struct TBildSchluessel {
    // The surface and its count of writes once the frame was drawn: a surface remade or
    // written some other way holds another picture.
    const Surface* ziel = nullptr;
    uint64_t zielStand = 0;
    // The board and the game's state.
    uint64_t aenderungen = 0;
    int32_t spielstufe = 0;
    int32_t breite = 0;
    int32_t hoehe = 0;
    bool spielEnde = false;
    bool gewonnen = false;
    // What changes without the board: the pointer, the buttons and the seconds shown.
    TZeiger zeiger;
    int32_t t = 0;
    // Only a composed frame has a key; two keys of nothing composed are never equal.
    bool gueltig = false;

    friend bool operator==(const TBildSchluessel& a, const TBildSchluessel& b) {
        return a.gueltig && b.gueltig && a.ziel == b.ziel && a.zielStand == b.zielStand &&
               a.aenderungen == b.aenderungen && a.spielstufe == b.spielstufe &&
               a.breite == b.breite && a.hoehe == b.hoehe && a.spielEnde == b.spielEnde &&
               a.gewonnen == b.gewonnen && a.zeiger == b.zeiger && a.t == b.t;
    }
};

// The key of the frame that the state would compose on `ziel` now.
TBildSchluessel bildSchluessel(const Surface* ziel, const TSpiel& spiel, const TZeiger& zeiger,
                               int32_t t);

// Composes the whole frame onto `ziel` as the frame tick does (black, then zeichnen), has
// it drawn at once and returns its key. Nothing happens without a surface.
TBildSchluessel bildZusammensetzen(Surface* ziel,
                                   const std::array<TPictureCollectionItem, spriteAnzahl>& bilder,
                                   const TSpiel& spiel, const TZeiger& zeiger, int32_t t);
