// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "options.h"
#include "stufen.h"

#include <QAction>

void TForm1::stufenHaken(QAction* eigener) {
    for (QAction* a : {Anfnger1, Fortgeschrittene1, Profis1, Benutzerdefiniert1, N2, Merker1})
        a->setChecked(false);
    eigener->setChecked(true);
}

void TForm1::stufeWaehlen(QAction* eigener, int32_t stufe) {
    stufenHaken(eigener);
    const TStufe& s = ::festeStufe(stufe);
    skalieren(stufe, s.breite, s.hoehe, s.minen, eigener);
}

void TForm1::Anfnger1Click(QObject*) {
    stufeWaehlen(Anfnger1, stufeAnfaenger);
}

void TForm1::Fortgeschrittene1Click(QObject*) {
    stufeWaehlen(Fortgeschrittene1, stufeFortgeschrittene);
}

void TForm1::Profis1Click(QObject*) {
    stufeWaehlen(Profis1, stufeProfis);
}

void TForm1::Benutzerdefiniert1Click(QObject*) {
    stufeWaehlen(Benutzerdefiniert1, stufeAlptraum);
}

void TForm1::N2Click(QObject*) {
    stufeWaehlen(N2, stufeWahnsinn);
}

void TForm1::Merker1Click(QObject* Sender) {
    int32_t b = spiel.breite;
    int32_t h = spiel.hoehe;
    int32_t n = spiel.feld.minen;
    if (!optionen->optionenAbfragen(b, h, n)) return;
    stufenHaken(Merker1);
    benutzerdefiniertBegrenzen(b, h, n);
    skalieren(stufeBenutzerdefiniert, b, h, n, Sender);
}
