// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

class TSpiel;

// Mouse buttons as the windowing system numbers them.
enum TMaustaste : int { mbLinks = 0, mbRechts = 1, mbMitte = 2 };

// The pointer and button state the mouse handlers keep and the frame drawing reads.
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
};

// Press and release: they act on the state the last move left (the caller maps pixels
// to cells and hit areas). A release on the face button lays a new board.
void mausGedrueckt(TSpiel& spiel, TZeiger& zeiger, int taste);
void mausLosgelassen(TSpiel& spiel, TZeiger& zeiger, int taste);
