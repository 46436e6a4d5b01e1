// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"
#include "ui_options.h"

#include "dialograhmen.h"
#include "schrift.h"

#include <QKeyEvent>
#include <QLabel>
#include <QShowEvent>

Toptionen::Toptionen(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Toptionen>()) {
    ui->setupUi(this);
    dialogRahmen(this, 306, 134, false);
    schriftAnpassen(this, 13, true);
    // Without a buddy a label shows its "&" instead of underlining the letter. Only the
    // plain letters b, h and m move the focus (FormKeyPress): the shortcut that a buddy
    // brings (Alt with the letter) is swallowed by eventFilter.
    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3}) label->installEventFilter(this);
    ui->Label1->setBuddy(ui->Edit3);
    ui->Label2->setBuddy(ui->Edit2);
    ui->Label3->setBuddy(ui->Edit1);

    connect(ui->Edit1, &QLineEdit::textChanged, this, &Toptionen::Edit1Change);
    connect(ui->Edit2, &QLineEdit::textChanged, this, &Toptionen::Edit2Change);
    connect(ui->Edit3, &QLineEdit::textChanged, this, &Toptionen::Edit3Change);
    connect(ui->Button1, &QPushButton::clicked, this, &Toptionen::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &Toptionen::Button2Click);

    for (QWidget* w : {static_cast<QWidget*>(ui->Button1), static_cast<QWidget*>(ui->Button2),
                       static_cast<QWidget*>(ui->Edit3), static_cast<QWidget*>(ui->Edit2),
                       static_cast<QWidget*>(ui->Edit1)})
        w->installEventFilter(this);
}

Toptionen::~Toptionen() = default;

bool Toptionen::optionenAbfragen(int32_t& breite, int32_t& hoehe, int32_t& minen) {
    geschlossen = false;
    bestaetigt = false;
    ui->Edit3->setText(QString::number(hoehe));
    ui->Edit2->setText(QString::number(breite));
    ui->Edit1->setText(QString::number(minen));

    exec();

    if (bestaetigt) {
        bool okHoehe = false, okBreite = false, okMinen = false;
        const int32_t h = ui->Edit3->text().toInt(&okHoehe);
        const int32_t b = ui->Edit2->text().toInt(&okBreite);
        const int32_t m = ui->Edit1->text().toInt(&okMinen);
        if (okHoehe && okBreite && okMinen) {
            hoehe = h;
            breite = b;
            minen = m;
        } else {
            bestaetigt = false;
        }
    }
    return bestaetigt;
}

void Toptionen::nurZiffern(QLineEdit* edit) {
    const QString alt = edit->text();
    QString neu = alt;
    int caret = edit->cursorPosition();
    for (qsizetype i = neu.size() - 1; i >= 0; --i) {
        const QChar c = neu.at(i);
        if (c < u'0' || c > u'9') {
            neu.remove(i, 1);
            if (i < caret) --caret;
        }
    }
    if (neu != alt) {
        // Keep the caret where the player typed rather than jumping to the start.
        edit->setText(neu);
        edit->setCursorPosition(caret);
    }
}

void Toptionen::Edit1Change() {
    nurZiffern(ui->Edit1);
}
void Toptionen::Edit2Change() {
    nurZiffern(ui->Edit2);
}
void Toptionen::Edit3Change() {
    nurZiffern(ui->Edit3);
}

void Toptionen::Button1Click() {
    geschlossen = true;
    bestaetigt = true;
    QDialog::accept();
}

void Toptionen::Button2Click() {
    geschlossen = true;
    bestaetigt = false;
    QDialog::reject();
}

void Toptionen::reject() {
    Button2Click();
}

bool Toptionen::Edit3KeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Button1Click();
        return true;
    case Qt::Key_Escape:
        Button2Click();
        return true;
    default:
        return false;
    }
}

void Toptionen::FormKeyPress(QKeyEvent* event) {
    // With Alt or Ctrl the key is no typed letter.
    if (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) return;
    const QString t = event->text();
    if (t == QStringLiteral("b"))
        ui->Edit2->setFocus(Qt::ShortcutFocusReason);
    else if (t == QStringLiteral("h"))
        ui->Edit3->setFocus(Qt::ShortcutFocusReason);
    else if (t == QStringLiteral("m"))
        ui->Edit1->setFocus(Qt::ShortcutFocusReason);
}

bool Toptionen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut && qobject_cast<QLabel*>(watched)) return true;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (Edit3KeyDown(key)) return true;
        FormKeyPress(key);
        // The key goes on to the control that had the focus; an edit's change handler
        // removes the letter again.
        return false;
    }
    return QDialog::eventFilter(watched, event);
}

void Toptionen::keyPressEvent(QKeyEvent* event) {
    FormKeyPress(event);
    QDialog::keyPressEvent(event);
}

void Toptionen::showEvent(QShowEvent* event) {
    if (!schonGezeigt) {
        schonGezeigt = true;
        move(161, 130);
    }
    // Every opening starts on "OK", first in the tab order, wherever the focus was left.
    if (!event->spontaneous()) ui->Button1->setFocus(Qt::TabFocusReason);
    QDialog::showEvent(event);
}
