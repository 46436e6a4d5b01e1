// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "bildentscheidung.h"
#include "dxdraw.h"
#include "dximagelist.h"
#include "dxtimer.h"

void TForm1::Neu1Click(QObject*) {
    spiel.neuesSpiel();
}

void TForm1::DXTimer1Timer(QObject*, int32_t) {
    spiel.takt();
    bildAuffrischen(TBildAnlass::takt, letztesBild_, DXDraw1->Surface(), DXImageList1->Items(),
                    spiel, zeiger, spiel.uhrSekunden());
    DXDraw1->ShowFrame();
    framezaehler_.bildGezeigt(screen());
    if (!spiel.neuerRekord) return;
    neuerRekordSchritt();
}

bool TForm1::bildFuerAnstrich() {
    if (DXImageList1 == nullptr || DXTimer1 == nullptr) return false; // still being made
    // Ticks run only while the timer is hooked, that is while the application is active.
    const TBildAnlass anlass =
        DXTimer1->Hooked() ? TBildAnlass::anstrichMitTakt : TBildAnlass::anstrichOhneTakt;
    if (!bildAuffrischen(anlass, letztesBild_, DXDraw1->Surface(), DXImageList1->Items(), spiel,
                         zeiger, spiel.uhrSekunden()))
        return false;
    framezaehler_.bildGezeigt(screen());
    return true;
}
