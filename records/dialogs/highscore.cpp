// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "highscore.h"
#include "ui_highscore.h"

#include "cp1252.h"
#include "dialograhmen.h"
#include "idlelock.h"
#include "ligacode.h"
#include "ligahost.h"
#include "schrift.h"
#include "stream.h"
#include "stufen.h"
#include "zeittext.h"
#include "zufall.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QStringList>

namespace {

constexpr qsizetype laengsteAntwortZeile = 4096;
const char* const uebertragungsFehler = "Fehler beim Übertragen der Daten!";

// The level's name from the level table; no name for anything but a fixed level.
QString stufenName(int32_t stufe) {
    if (!istFesteStufe(stufe)) return {};
    return QString::fromUtf8(festeStufe(stufe).name);
}

QString nameText(const Tbestzeit& eintrag) {
    return QString::fromStdString(cp1252NachUtf8(eintrag.name.text()));
}

} // namespace

Thighscore::Thighscore(QWidget* parent, TDXTimer* takt)
    : QDialog(parent), ui(std::make_unique<Ui::Thighscore>()), rahmenTakt(takt),
      zielHost(ligaHost()) {
    ui->setupUi(this);
    dialogRahmen(this, 425, 372, true);
    // Names come from a file: never read them as markup.
    for (QLabel* l : findChildren<QLabel*>()) l->setTextFormat(Qt::PlainText);
    schriftAnpassen(this, 13, true);

    HttpCli1.Agent = "Mozilla/3.0 (compatible)";
    HttpCli1.Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    HttpCli1.NoCache = false;
    HttpCli1.ContentTypePost = "application/x-www-form-urlencoded";
    HttpCli1.SetMultiThreaded(false);
    HttpCli1.ProxyPort = "80";

    connect(ui->Button1, &QPushButton::clicked, this, &Thighscore::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &Thighscore::Button2Click);
    connect(ui->Button4, &QPushButton::clicked, this, &Thighscore::Button4Click);
}

Thighscore::~Thighscore() = default;

QString Thighscore::zeitText(int32_t zeit) {
    return QString::fromStdString(::zeitText(zeit));
}

void Thighscore::werteGeben(const TEintraege& neue, const Tbestzeit& neuer, int32_t stufe,
                            TZufall& generator, const TUhr& uhr) {
    eintraege = neue;
    neuerEintrag = neuer;
    zufall = &generator;
    generator.randomize(uhr);

    QLabel* const gruppe[] = {ui->Label16, ui->Label17, ui->Label18, ui->Label19, ui->Label20};
    if (neuerEintrag.zeit <= 0) {
        for (QLabel* l : gruppe) l->setEnabled(false);
        ui->Label18->clear();
        ui->Label19->clear();
        ui->Label20->clear();
        return;
    }
    for (QLabel* l : gruppe) l->setEnabled(true);
    const QString name = stufenName(stufe);
    if (!name.isEmpty()) ui->Label18->setText(name);
    neueStufe = stufe;
    ui->Button4->setEnabled(true);
    ui->Label19->setText(zeitText(neuerEintrag.zeit));
    ui->Label20->setText(nameText(neuerEintrag));
}

void Thighscore::werteAnzeigen() {
    QLabel* const zeiten[] = {ui->Label6, ui->Label7, ui->Label8, ui->Label9, ui->Label10};
    QLabel* const namen[] = {ui->Label11, ui->Label12, ui->Label13, ui->Label14, ui->Label15};
    for (std::size_t k = 0; k < eintraege.size(); ++k) {
        const Tbestzeit& e = eintraege[k];
        if (e.zeit <= 0) {
            zeiten[k]->setText(QStringLiteral("-"));
            namen[k]->setText(QStringLiteral("-"));
        } else {
            zeiten[k]->setText(zeitText(e.zeit));
            namen[k]->setText(nameText(e));
        }
    }
}

void Thighscore::werteHolen(TEintraege& ziel) const {
    ziel = eintraege;
}

void Thighscore::schliessen() {
    // While the transfer waits, the dialog stays until its answer has been shown.
    if (uebertragungLaeuft) {
        schliessenDanach = true;
        return;
    }
    accept();
}

void Thighscore::Button1Click() {
    schliessen();
}

void Thighscore::Button2Click() {
    for (Tbestzeit& e : eintraege) e.zeit = 0;
    werteAnzeigen();
}

void Thighscore::Button4Click() {
    if (uebertragungLaeuft || !ui->Button4->isEnabled()) return;
    // Drop the focus first, so that the dialog itself gets Enter and Escape afterwards.
    const bool hatteFokus = focusWidget() == ui->Button4;
    if (hatteFokus) ui->Button4->clearFocus();
    ui->Button4->setEnabled(false);

    TZufall ersatz; // only if no generator was handed in
    TZufall& generator = zufall ? *zufall : ersatz;
    const std::string code = getcode(neuerEintrag.name.text(), neuerEintrag.zeit, neueStufe,
                                     [&generator](int32_t n) { return generator.random(n); });
    uebertragungsURL = "http://" + zielHost + "/rekord.php?code=" + code;

    TMemoryStream strom; // at most 64 KiB of the answer are kept
    ui->Memo1->clear();
    HttpCli1.URL = uebertragungsURL;
    HttpCli1.Proxy.clear();
    HttpCli1.ProxyPort = "80";
    HttpCli1.ReceiveStream = &strom;

    QStringList zeilen;
    uebertragungLaeuft = true;
    try {
        {
            // Get pumps the event loop in the middle of this handler: no frames there.
            TIdleLock sperre(rahmenTakt);
            HttpCli1.Get();
        }
        for (const std::string& zeile : antwortLaden(strom.Data()))
            zeilen += QString::fromStdString(cp1252NachUtf8(zeile));
    } catch (...) {
        zeilen = QStringList{QString::fromUtf8(uebertragungsFehler)};
    }
    HttpCli1.ReceiveStream = nullptr;
    ui->Memo1->setPlainText(zeilen.join(u'\n'));

    antwortZeigen(zeilen.isEmpty() ? QString() : zeilen.first().left(laengsteAntwortZeile));
    uebertragungLaeuft = false;
    // Closing the message box gives the dialog's first button the focus; keep none, as
    // before, so that Enter and Escape reach the dialog itself.
    if (hatteFokus && focusWidget()) focusWidget()->clearFocus();

    if (schliessenDanach) {
        schliessenDanach = false;
        accept();
    }
}

void Thighscore::antwortZeigen(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zundelfeld"), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void Thighscore::keyPressEvent(QKeyEvent* event) {
    const int taste = event->key();
    const bool ohneFokus = focusWidget() == nullptr;
    if (taste == Qt::Key_Return || taste == Qt::Key_Enter || taste == Qt::Key_Escape) {
        // A focused button handles Enter itself; Escape on a button does nothing.
        if (ohneFokus) schliessen();
        event->accept();
        return;
    }
    // "l" clears like the accelerator of "Bestzeiten &löschen", whatever has the focus.
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::ShiftModifier) {
        const QString text = event->text();
        if (text == QStringLiteral("l") || text == QStringLiteral("L")) {
            ui->Button2->click();
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void Thighscore::closeEvent(QCloseEvent* event) {
    if (uebertragungLaeuft) {
        schliessenDanach = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Thighscore::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    move(58, 94);
    ui->Button1->setFocus(Qt::OtherFocusReason);
}
