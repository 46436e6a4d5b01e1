// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared pieces of the main window tests: a window with a hand-set clock and a settings
// file in a temporary folder, mouse play on the drawing surface, the modal dialogs the
// window opens, and checks of the composed frame.
#include "dxdraw.h"
#include "dximagelist.h"
#include "dxtimer.h"
#include "form1.h"
#include "layout.h"
#include "qtanwendung.h"
#include "spritesteht.h"
#include "testuhr.h"

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

class FensterTest : public ::testing::Test {
protected:
    QApplication& anwendung = qtAnwendung();
    QTemporaryDir ordner;
    TTestUhr uhr;
    std::unique_ptr<TForm1> fenster;

    std::string pfad() const { return (ordner.path() + "/zundrec.dat").toStdString(); }

    // A new window on the settings file, shown and with frames that do not wait for
    // the screen. Its frame timer is off, so each test draws frames when it wants.
    TForm1& starten() { return starten(pfad()); }
    TForm1& starten(const std::string& datei) {
        fenster = std::make_unique<TForm1>(&uhr, datei);
        fenster->DXDraw1->SetWaitVBlank(false);
        fenster->DXTimer1->SetEnabled(false);
        fenster->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(fenster.get()));
        return *fenster;
    }

    // Closes the window as the close box does; true when it closed.
    bool schliessen() { return fenster->close(); }

    void TearDown() override {
        // A window left open is thrown away without writing.
        fenster.reset();
    }
};

// The pixel at the middle of cell (x, y) in drawing-surface coordinates.
inline QPoint zellMitte(int32_t x, int32_t y) {
    const TPunkt p = zellPos(x, y);
    return {p.x + 8, p.y + 8};
}

inline void bewegen(TForm1& f, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), f.DXDraw1->mapToGlobal(QPointF(p)), Qt::NoButton,
                  QApplication::mouseButtons(), Qt::NoModifier);
    QApplication::sendEvent(f.DXDraw1, &e);
}
inline void druecken(TForm1& f, QPoint p, Qt::MouseButton b) {
    QTest::mousePress(f.DXDraw1, b, Qt::NoModifier, p);
}
inline void loslassen(TForm1& f, QPoint p, Qt::MouseButton b) {
    QTest::mouseRelease(f.DXDraw1, b, Qt::NoModifier, p);
}
// Move, press and release over cell (x, y).
inline void klicken(TForm1& f, int32_t x, int32_t y, Qt::MouseButton b = Qt::LeftButton) {
    const QPoint p = zellMitte(x, y);
    bewegen(f, p);
    druecken(f, p, b);
    loslassen(f, p, b);
}

// Uncovers the board cell by cell, mine-free cells only, until the game is won.
inline void gewinnen(TForm1& f) {
    for (int32_t x = 1; x <= f.spiel.breite && !f.spiel.spielEnde; ++x)
        for (int32_t y = 1; y <= f.spiel.hoehe && !f.spiel.spielEnde; ++y) {
            const Tzelle& z = f.spiel.feld.zelle(x, y);
            if (!z.mine && !z.offen) klicken(f, x, y);
        }
}

// Runs `schritt` on the first modal dialog of type T that opens, from the event loop of
// whoever opens it. Gives up (and ends the dialog found, if any) after about 5 s, so a
// fault cannot hang the test run.
template <class T> void beiModal(std::function<void(T*)> schritt) {
    auto* uhrwerk = new QTimer;
    auto versuche = std::make_shared<int>(0);
    uhrwerk->setInterval(5);
    QObject::connect(uhrwerk, &QTimer::timeout, [uhrwerk, versuche, schritt] {
        QWidget* w = QApplication::activeModalWidget();
        if (T* d = qobject_cast<T*>(w)) {
            uhrwerk->stop();
            uhrwerk->deleteLater();
            schritt(d);
            return;
        }
        if (++*versuche > 1000) {
            uhrwerk->stop();
            uhrwerk->deleteLater();
            ADD_FAILURE() << "no modal dialog of the expected kind opened";
            if (auto* d = qobject_cast<QDialog*>(w)) d->done(0);
        }
    });
    uhrwerk->start();
}

// Whether the rectangle of the back surface at p holds the sprite's pixels, all of it.
inline bool steht(const TForm1& f, int32_t sprite, TPunkt p) {
    return spriteSteht(f.DXDraw1->BackSurface(), f.DXImageList1->Items(sprite), p, {}, false);
}

// One frame as the timer draws it.
inline void bild(TForm1& f) {
    f.DXTimer1Timer(f.DXTimer1, 1);
}
