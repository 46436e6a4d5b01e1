// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "namenEingeben.h"
#include "ui_namenEingeben.h"

#include "dialograhmen.h"
#include "namenszeichen.h"
#include "schrift.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace {

QString nurErlaubte(const QString& text) {
    QString ergebnis;
    ergebnis.reserve(text.size());
    for (QChar c : text)
        if (TnamenEingeben::zeichenErlaubt(c)) ergebnis += c;
    return ergebnis;
}

} // namespace

TnamenEingeben::TnamenEingeben(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TnamenEingeben>()) {
    ui->setupUi(this);
    Label2 = ui->Label2;
    Edit1 = ui->Edit1;
    dialogRahmen(this, 270, 160, true);

    // The font must fit the longest level line the caller may set, not the design text.
    const QString entwurf = ui->Label2->text();
    ui->Label2->setText(QStringLiteral("Spielstufe für Fortgeschrittene erzielt. "));
    schriftAnpassen(this, 13, true);
    ui->Label2->setText(entwurf);

    ui->Edit1->installEventFilter(this);
    ui->Button1->installEventFilter(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TnamenEingeben::Button1Click);
    connect(ui->Edit1, &QLineEdit::textEdited, this, &TnamenEingeben::Edit1Edited);
}

TnamenEingeben::~TnamenEingeben() = default;

bool TnamenEingeben::zeichenErlaubt(QChar c) {
    return namenszeichenErlaubt(c.unicode());
}

void TnamenEingeben::Button1Click() {
    close();
}

void TnamenEingeben::Edit1KeyUp() {
    const QString gefiltert = nurErlaubte(ui->Edit1->text());
    if (gefiltert != ui->Edit1->text()) ui->Edit1->setText(gefiltert);
    ui->Edit1->deselect();
    ui->Edit1->end(false);
}

void TnamenEingeben::Edit1Edited() {
    // Text pasted with the mouse brings no key release; drop what does not belong at once.
    const QString text = ui->Edit1->text();
    const QString gefiltert = nurErlaubte(text);
    if (gefiltert == text) return;
    int caret = ui->Edit1->cursorPosition();
    for (int i = 0; i < caret && i < text.size(); ++i)
        if (!zeichenErlaubt(text.at(i))) --caret;
    ui->Edit1->setText(gefiltert);
    ui->Edit1->setCursorPosition(caret);
}

void TnamenEingeben::reject() {}

bool TnamenEingeben::FormClose() {
    QString name = ui->Edit1->text();
    if (name.size() < qsizetype{kuerzesterName}) return false;
    while (name.size() < qsizetype{laengsterName}) name += u' ';
    ui->Edit1->setText(name);
    return true;
}

void TnamenEingeben::closeEvent(QCloseEvent* event) {
    if (!FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::done(QDialog::Accepted);
}

bool TnamenEingeben::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Button1 && event->type() == QEvent::KeyPress) {
        // Enter presses "OK" as Space does, though it is no default button.
        const int taste = static_cast<QKeyEvent*>(event)->key();
        if (taste == Qt::Key_Return || taste == Qt::Key_Enter) {
            Button1Click();
            return true;
        }
    }
    if (watched == ui->Edit1) {
        if (event->type() == QEvent::KeyPress) {
            const int taste = static_cast<QKeyEvent*>(event)->key();
            if (taste == Qt::Key_Return || taste == Qt::Key_Enter) {
                close();
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease && isVisible()) {
            // The release of the key that closed the dialog must not strip the padding.
            Edit1KeyUp();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TnamenEingeben::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    move(150, 122);
    ui->Edit1->setFocus(Qt::OtherFocusReason);
    ui->Edit1->selectAll();
}
