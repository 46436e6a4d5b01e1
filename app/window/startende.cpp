// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "einstellungendatei.h"
#include "iofehler.h"
#include "stufen.h"

#include <QAction>
#include <QCloseEvent>
#include <QMessageBox>

void TForm1::FormCreate(QObject* Sender) {
    zufall.randomize(uhr_);
    if (!einstellungenLesen(einstellungsPfad_, einstellungen)) einstellungenVorgaben(einstellungen);
    spiel.merker = einstellungen.merkerAn != 0;
    merkerHaken();
    letzterRekord.zeit = 0;

    switch (einstellungen.stufe) {
    case stufeAnfaenger:
        Anfnger1Click(Sender);
        break;
    case stufeFortgeschrittene:
        Fortgeschrittene1Click(Sender);
        break;
    case stufeProfis:
        Profis1Click(Sender);
        break;
    case stufeAlptraum:
        Benutzerdefiniert1Click(Sender);
        break;
    case stufeWahnsinn:
        N2Click(Sender);
        break;
    default: {
        // The reader refuses any other level, so this is the custom field.
        Merker1->setChecked(true);
        int32_t b = einstellungen.feldBreite;
        int32_t h = einstellungen.feldHoehe;
        int32_t n = einstellungen.feldMinen;
        benutzerdefiniertBegrenzen(b, h, n);
        skalieren(stufeBenutzerdefiniert, b, h, n, Sender);
        break;
    }
    }

    spiel.spielBereit();
    zeigerBereit(zeiger);
}

bool TForm1::FormClose(QObject*) {
    einstellungen.stufe = spiel.spielstufe;
    einstellungen.feldHoehe = spiel.hoehe;
    einstellungen.feldBreite = spiel.breite;
    einstellungen.feldMinen = spiel.feld.minen;
    einstellungen.merkerAn = spiel.merker ? 1 : 0;
    einstellungen.nameEingabe.laenge = 0;
    const int code = einstellungenSchreiben(einstellungsPfad_, einstellungen);
    if (code == 0) return true;
    fehlerZeigen(mitSchlusspunkt(ioFehlerText(code)));
    return false;
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A failed write keeps the window open once, so the player may make room or fix the
    // folder; the next close writes once more and ends the program either way.
    if (FormClose(this) || speichernMisslungen_) {
        event->accept();
    } else {
        speichernMisslungen_ = true;
        event->ignore();
    }
}

void TForm1::fehlerZeigen(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, "Zundelfeld", QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
