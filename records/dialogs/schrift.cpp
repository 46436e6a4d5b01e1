// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "schrift.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

QString ohneKuerzel(QString text) {
    // "&&" stays one ampersand; a lone "&" only marks the accelerator.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

bool passt(const QWidget* form, const QFont& schrift) {
    const QFontMetrics fm(schrift);
    for (const QLabel* l : form->findChildren<QLabel*>()) {
        if (l->wordWrap() || l->text().isEmpty()) continue;
        if (fm.horizontalAdvance(ohneKuerzel(l->text())) > l->width()) return false;
        if (fm.height() > l->height()) return false;
    }
    for (const QAbstractButton* b : form->findChildren<QAbstractButton*>()) {
        if (fm.horizontalAdvance(ohneKuerzel(b->text())) + 8 > b->width()) return false;
    }
    for (const QGroupBox* g : form->findChildren<QGroupBox*>()) {
        if (fm.horizontalAdvance(ohneKuerzel(g->title())) + 16 > g->width()) return false;
    }
    return true;
}

} // namespace

void schriftAnpassen(QWidget* form, int pixel, bool fett) {
    QFont schrift = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    schrift.setStyleHint(QFont::SansSerif);
    schrift.setBold(fett);
    constexpr int kleinste = 8;
    for (; pixel > kleinste; --pixel) {
        schrift.setPixelSize(pixel);
        if (passt(form, schrift)) break;
    }
    schrift.setPixelSize(pixel);
    form->setFont(schrift);
}
