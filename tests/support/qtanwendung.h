#pragma once
#include <QApplication>

// The one QApplication of a GUI test binary, made on first use. It is never destroyed:
// torn down among the exit handlers, after Qt's own statics, it crashes once a window
// has been shown.
inline QApplication& qtAnwendung() {
    static int argc = 1;
    static char name[] = "zundel_test";
    static char* argv[] = {name, nullptr};
    static QApplication* anwendung = new QApplication(argc, argv);
    return *anwendung;
}
