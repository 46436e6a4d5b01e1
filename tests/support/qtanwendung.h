#pragma once
#include <QApplication>

// The one QApplication of a GUI test binary, made on first use.
inline QApplication& qtAnwendung() {
    static int argc = 1;
    static char name[] = "zundel_test";
    static char* argv[] = {name, nullptr};
    static QApplication anwendung(argc, argv);
    return anwendung;
}
