// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "bild.h"
#include "dxdraw.h"
#include "dximagelist.h"
#include "zeichnen.h"

void TForm1::Neu1Click(QObject*) {
    spiel.neuesSpiel();
}

void TForm1::DXTimer1Timer(QObject*, int32_t) {
    spiel.takt();
    const int32_t t = spiel.uhrSekunden();
    FillSurface(DXDraw1->Surface(), 0);
    zeichnen(DXDraw1->Surface(), DXImageList1->Items(), spiel, zeiger, t);
    DXDraw1->ShowFrame();
    framezaehler_.bildGezeigt(screen());
    if (!spiel.neuerRekord) return;
    neuerRekordSchritt();
}
