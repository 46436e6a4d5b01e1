// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialograhmen.h"

#include <QDialog>

void dialogRahmen(QDialog* dialog, int breite, int hoehe, bool systemMenue) {
    Qt::WindowFlags flaggen = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    if (systemMenue) flaggen |= Qt::WindowSystemMenuHint;
    dialog->setWindowFlags(flaggen);
    dialog->setFixedSize(breite, hoehe);
}
