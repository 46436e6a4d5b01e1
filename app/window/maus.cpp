// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "layout.h"
#include "virtualkey.h"
#include "zeiger.h"

// The only place the pointer's position is read; presses and releases act on what the
// last move left. The layout tells what lies under the pixel, the engine keeps the state.
void TForm1::FormMouseMove(QObject*, int, int32_t X, int32_t Y) {
    mausBewegt(zeiger, zeigerOrt(spiel.breite, spiel.hoehe, X, Y));
}

void TForm1::FormMouseDown(QObject*, int Button, int, int32_t, int32_t) {
    mausGedrueckt(spiel, zeiger, Button);
}

void TForm1::FormMouseUp(QObject*, int Button, int, int32_t, int32_t) {
    mausLosgelassen(spiel, zeiger, Button);
    framezaehler_.losgelassen();
}

void TForm1::DXDraw1KeyDown(QObject*, int Key, int) {
    switch (Key) {
    case vkEscape:
        // Under Wayland this is a request the compositor may refuse, and no client learns
        // whether it was minimised; nothing here depends on it.
        showMinimized();
        break;
    case vkF1:
        Hilfethemen1Click(this);
        break;
    default:
        break;
    }
}
