// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QApplication>
#include <QByteArray>

// The one QApplication of a GUI test binary, made on first use, on the offscreen platform
// unless the environment names another. It is never destroyed: torn down among the exit
// handlers, after Qt's own statics, it crashes once a window has been shown.
inline QApplication& qtAnwendung() {
    static int argc = 1;
    static char name[] = "zundel_test";
    static char* argv[] = {name, nullptr};
    static QApplication* anwendung = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        return new QApplication(argc, argv);
    }();
    return *anwendung;
}
