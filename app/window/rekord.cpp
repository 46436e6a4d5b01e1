// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "cp1252.h"
#include "dxtimer.h"
#include "highscore.h"
#include "namenEingeben.h"
#include "stufen.h"
#include "zeitrechnung.h"

#include <QLabel>
#include <QLineEdit>
#include <memory>

namespace {

// The line after "Sie haben eine neue Bestzeit in der ", by level; each ends in a blank.
const char* stufenZeile(int32_t stufe) {
    switch (stufe) {
    case stufeAnfaenger:
        return "Spielstufe für Anfänger erzielt. ";
    case stufeFortgeschrittene:
        return "Spielstufe für Fortgeschrittene erzielt. ";
    case stufeProfis:
        return "Spielstufe für Profis erzielt. ";
    case stufeAlptraum:
        return "Spielstufe Alptraum erzielt. ";
    case stufeWahnsinn:
        return "Spielstufe Wahnsinn erzielt. ";
    default:
        return "";
    }
}

} // namespace

// The won board stays on screen behind the name entry; the timer is off meanwhile.
void TForm1::neuerRekordSchritt() {
    spiel.rekordGemeldet();
    // Only the fixed levels keep best times. A record left over from a game whose level
    // has since been left for the custom field has no entry to go to: nothing to ask.
    if (!istFesteStufe(spiel.spielstufe)) return;
    DXTimer1->SetEnabled(false);

    bool gelesen = false;
    try {
        auto dialog = std::make_unique<TnamenEingeben>(this);
        dialog->Label2->setText(QString::fromUtf8(stufenZeile(spiel.spielstufe)));
        dialog->exec();
        const QString name =
            dialog->Edit1->text().left(static_cast<int>(TKurzString15::kapazitaet));
        einstellungen.nameEingabe.setzen(utf8NachCp1252(name.toUtf8().toStdString()));
        gelesen = true;
    } catch (...) {
        gelesen = false;
    }
    DXTimer1->SetEnabled(true);
    if (!gelesen) return;

    Tbestzeit& eintrag = einstellungen.bestzeit(spiel.spielstufe);
    eintrag.name.setzen(einstellungen.nameEingabe.text());
    eintrag.zeit = zehntelAusTagen(spiel.endZeit);
    letzterRekord = eintrag;
    Beenden1Click(this);
}

void TForm1::Beenden1Click(QObject*) {
    auto dialog = std::make_unique<Thighscore>(this, DXTimer1);
    const Tbestzeit angebot = letzterRekord;
    letzterRekord.zeit = 0;
    dialog->werteGeben(einstellungen.bestzeiten, angebot, spiel.spielstufe, zufall, uhr_);
    dialog->werteAnzeigen();
    dialog->exec();
    dialog->werteHolen(einstellungen.bestzeiten);
}
