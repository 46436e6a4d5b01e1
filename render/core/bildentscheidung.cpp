// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bildentscheidung.h"

namespace {

// Whether the surface still holds the frame of `letztes`: the same surface, not written
// since in any other way.
bool haeltBild(const TBildSchluessel& jetzt, const TBildSchluessel& letztes) {
    return letztes.gueltig && jetzt.ziel == letztes.ziel && jetzt.zielStand == letztes.zielStand;
}

// Whether the frame of `letztes` shows the same board of the same level, whatever the
// pointer and the clock have done since.
bool gleichesBrett(const TBildSchluessel& jetzt, const TBildSchluessel& letztes) {
    TBildSchluessel ohneZeigerUndUhr = jetzt;
    ohneZeigerUndUhr.zeiger = letztes.zeiger;
    ohneZeigerUndUhr.t = letztes.t;
    return ohneZeigerUndUhr == letztes;
}

} // namespace

bool bildNoetig(TBildAnlass anlass, const TBildSchluessel& jetzt, const TBildSchluessel& letztes) {
    // The frame tick's decision to compose nothing: the surface holds this frame already.
    if (jetzt == letztes) return false;
    if (anlass == TBildAnlass::takt) return true;
    // The first frame of a window, with or without the focus, or a surface remade.
    if (!haeltBild(jetzt, letztes)) return true;
    // Ticks run: the next one composes, and the repaint shows the last frame.
    if (anlass == TBildAnlass::anstrichMitTakt) return false;
    // A window without the focus: the board as it changes, the pointer and clock standing.
    return !gleichesBrett(jetzt, letztes);
}

bool bildAuffrischen(TBildAnlass anlass, TBildSchluessel& letztes, Surface* ziel,
                     const std::array<TPictureCollectionItem, spriteAnzahl>& bilder,
                     const TSpiel& spiel, const TZeiger& zeiger, int32_t t) {
    if (!bildNoetig(anlass, bildSchluessel(ziel, spiel, zeiger, t), letztes)) return false;
    letztes = bildZusammensetzen(ziel, bilder, spiel, zeiger, t);
    return letztes.gueltig;
}
