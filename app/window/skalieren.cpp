// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Window sizing: the only place the window changes its size after start-up.
#include "form1.h"

#include "dxdraw.h"
#include "layout.h"

#include <QLayout>

void TForm1::skalieren(int32_t stufe, int32_t b, int32_t h, int32_t n, QObject*) {
    spiel.stufeAnlegen(stufe, b, h, n);
    // The client area is the drawing surface alone: width first, then height. The
    // surface's back buffer follows the widget's size by itself, and the fixed-size
    // layout makes the window fit at once rather than at the next event.
    DXDraw1->setFixedWidth(clientBreite(spiel.breite));
    DXDraw1->setFixedHeight(clientHoehe(spiel.hoehe));
    layout()->activate();
}
