// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "maustaste.h"
#include <cstdint>

class TSpiel;

// The pointer and button state: every change to it is made here, by the operations below;
// the frame drawing reads it.
struct TZeiger {
    int32_t mausX = 0;
    int32_t mausY = 0;
    bool ueberFeld = false;
    bool ueberGesicht = false;
    bool linksUnten = false;
    bool rechtsUnten = false;
    bool mitteUnten = false;
    bool gesichtGedrueckt = false;
    bool einzelKlick = false;

    friend constexpr bool operator==(const TZeiger&, const TZeiger&) = default;
};

// What lies under the pointer: the cell by the cell formula (meaningful only over the
// field) and the two hit areas. The layout works it out from a pixel (zeigerOrt).
struct TZeigerOrt {
    int32_t spalte = 0;
    int32_t zeile = 0;
    bool ueberFeld = false;
    bool ueberGesicht = false;
    friend constexpr bool operator==(const TZeigerOrt&, const TZeigerOrt&) = default;
};

// A pointer move: position and hit flags, and nothing else.
void mausBewegt(TZeiger& zeiger, const TZeigerOrt& ort);

// Press and release: they act on the state the last move left. A release on the face
// button lays a new board.
void mausGedrueckt(TSpiel& spiel, TZeiger& zeiger, int taste);
void mausLosgelassen(TSpiel& spiel, TZeiger& zeiger, int taste);

// Start-up: no press is under way, whatever the buttons did before.
void zeigerBereit(TZeiger& zeiger);
