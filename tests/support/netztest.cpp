// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netztest.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>

void qtAnwendungSicherstellen() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "zundel_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication anwendung(argc, argv);
}

bool pumpenBis(const std::function<bool()>& bedingung, std::chrono::milliseconds frist) {
    auto ende = std::chrono::steady_clock::now() + frist;
    while (!bedingung()) {
        if (std::chrono::steady_clock::now() >= ende) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
