// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "anwendung.h"
#include "form1.h"

#include <QApplication>
#include <QTranslator>

int main(int, char* argv[]) {
    // The game takes no arguments, so the toolkit sees none either.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QTranslator qtDeutsch;
    anwendungEinrichten(qtDeutsch);

    TForm1 Form1;
    Form1.show();
    return QApplication::exec();
}
