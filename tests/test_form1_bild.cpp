// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The frames the main window puts on the screen, against frames composed from scratch.
#include "bildschluessel.h"
#include "form1hilfe.h"
#include "katalog.h"
#include "testbrett.h"

#include <QGuiApplication>
#include <QScreen>
#include <random>
#include <sstream>

namespace {

using Bilder = FensterTest;

// What the window system holds of the drawing surface right now.
QImage gezeigt(TForm1& f) {
    const QPoint o = f.DXDraw1->mapTo(&f, QPoint(0, 0));
    return f.screen()
        ->grabWindow(f.winId(), o.x(), o.y(), f.DXDraw1->width(), f.DXDraw1->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The frame of the game's state with t seconds, composed on a surface of its own.
Surface vonGrundAuf(const TForm1& f, int32_t t) {
    Surface s(f.DXDraw1->width(), f.DXDraw1->height());
    bildZusammensetzen(&s, f.DXImageList1->Items(), f.spiel, f.zeiger, t);
    return s;
}

// "" when the picture equals the surface pixel for pixel, else where it first differs.
std::string unterschied(const QImage& bild, const Surface& s) {
    if (bild.width() != s.width() || bild.height() != s.height()) return "size differs";
    for (int32_t y = 0; y < s.height(); ++y)
        for (int32_t x = 0; x < s.width(); ++x)
            if ((bild.pixel(x, y) & 0xFFFFFFu) != s.pixel(x, y)) {
                std::ostringstream o;
                o << "differs at " << x << "," << y;
                return o.str();
            }
    return {};
}

// The timer as the game has it, hooked while the application is active, but without
// ticks of its own and deaf to the platform's activation: the test says when.
void zeitgeberDesTests(TForm1& f, Qt::ApplicationState zustand) {
    QObject::disconnect(qApp, &QGuiApplication::applicationStateChanged, f.DXTimer1, nullptr);
    f.DXTimer1->SetClock([] { return 0u; });
    f.DXTimer1->SetInterval(1000);
    f.DXTimer1->ApplicationStateChanged(zustand);
    f.DXTimer1->SetEnabled(true);
}

// Seeded play on the window: moves, presses and releases of all three buttons (marks,
// chords, losses), wins, new games and levels, the clock running past its end and set
// back, the marks option, and the application deactivated and activated again. While it
// is active each round ends with a tick, while inactive with a repaint. What the screen
// then shows must be the frame composed from scratch: the seconds of the last tick, or of
// the moment the board or the level changed while inactive.
TEST_F(Bilder, EveryFrameShownIsTheFrameComposedFromScratch) {
    TForm1& f = starten();
    for (int32_t stufe = 1; stufe <= 5; ++stufe) f.einstellungen.bestzeit(stufe).zeit = 1;
    zeitgeberDesTests(f, Qt::ApplicationActive);
    std::mt19937 zufall(20241209);
    auto wuerfeln = [&](uint32_t n) { return static_cast<int32_t>(zufall() % n); };
    f.zufall.setzen(zufall());
    bild(f);

    bool aktiv = true;
    int32_t tGezeigt = f.spiel.uhrSekunden();
    QPoint ort(2, 2);
    std::vector<Qt::MouseButton> gehalten;
    const Qt::MouseButton tasten[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    auto haelt = [&](Qt::MouseButton b) {
        return std::find(gehalten.begin(), gehalten.end(), b) != gehalten.end();
    };
    for (int runde = 0; runde < 300; ++runde) {
        const int32_t W = f.spiel.breite, H = f.spiel.hoehe;
        const int art = wuerfeln(20);
        bool brettNeu = false;
        if (art < 5) {
            const int wohin = wuerfeln(8);
            ort = wohin == 0   ? QPoint(W * 8 + 10, 27)
                  : wohin == 1 ? QPoint(3, 3)
                               : zellMitte(1 + wuerfeln(static_cast<uint32_t>(W)),
                                           1 + wuerfeln(static_cast<uint32_t>(H)));
            bewegen(f, ort);
        } else if (art < 8 && aktiv) {
            const Qt::MouseButton b = tasten[wuerfeln(3)];
            if (!haelt(b)) {
                druecken(f, ort, b);
                gehalten.push_back(b);
            }
        } else if (art < 11 && !gehalten.empty()) {
            const std::size_t i = static_cast<std::size_t>(wuerfeln(gehalten.size()));
            loslassen(f, ort, gehalten[i]);
            gehalten.erase(gehalten.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (art == 11) {
            uhr.vorstellen(wuerfeln(12) == 0 ? 600.0 : wuerfeln(1500) / 1000.0);
        } else if (art == 12) {
            uhr.vorstellen(-0.5);
        } else if (art == 13) {
            constexpr void (TForm1::*stufen[])(QObject*) = {
                &TForm1::Anfnger1Click, &TForm1::Fortgeschrittene1Click, &TForm1::Profis1Click,
                &TForm1::N2Click, &TForm1::Anfnger1Click};
            const int32_t wahl = wuerfeln(6);
            if (wahl < 5) {
                (f.*stufen[wahl])(nullptr);
            } else {
                f.skalieren(6, 9, 12, 15, nullptr);
            }
            brettNeu = true;
        } else if (art == 14) {
            f.Neu1Click(nullptr);
            brettNeu = true;
        } else if (art == 15 && aktiv && gehalten.empty() && !f.spiel.spielEnde) {
            gewinnen(f);
        } else if (art == 16) {
            f.merkerClick(nullptr);
        } else if (art == 17 && gehalten.empty()) {
            aktiv = !aktiv;
            f.DXTimer1->ApplicationStateChanged(aktiv ? Qt::ApplicationActive
                                                      : Qt::ApplicationInactive);
        }
        ASSERT_EQ(f.DXTimer1->Hooked(), aktiv);
        if (aktiv) {
            bild(f);
            tGezeigt = f.spiel.uhrSekunden();
        } else {
            if (brettNeu) tGezeigt = f.spiel.uhrSekunden();
            f.DXDraw1->update();
        }
        QCoreApplication::processEvents();
        ASSERT_EQ(unterschied(gezeigt(f), vonGrundAuf(f, tGezeigt)), "")
            << "round " << runde << ", step " << art << (aktiv ? ", active" : ", inactive");
    }
}

// Mines in two corners of the 8 x 8 board.
const std::vector<std::string> zweiEcken = {
    "*.......", "........", "........", "........", "........", "........", "........", ".......*",
};

TEST_F(Bilder, AWindowStartedInactiveShowsItsBoardAndItsClockStandsStill) {
    fenster = std::make_unique<TForm1>(&uhr, pfad());
    TForm1& f = *fenster;
    zeitgeberDesTests(f, Qt::ApplicationInactive);
    f.DXDraw1->SetWaitVBlank(false);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QCoreApplication::processEvents();
    ASSERT_FALSE(f.DXTimer1->Hooked());
    for (int32_t x = 1; x <= 8; ++x)
        for (int32_t y = 1; y <= 8; ++y) ASSERT_TRUE(steht(f, spriteGrauHoch, zellPos(x, y)));
    EXPECT_TRUE(steht(f, spriteSmile1, gesichtPos(8)));
    EXPECT_EQ(unterschied(gezeigt(f), vonGrundAuf(f, 0)), "");

    // A game begun meanwhile is there at the next repaint, and its clock stands still.
    brettLegen(f.spiel, zweiEcken);
    klicken(f, 2, 2);
    f.DXDraw1->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(unterschied(gezeigt(f), vonGrundAuf(f, 1)), "");
    uhr.vorstellen(10.0);
    f.DXDraw1->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(unterschied(gezeigt(f), vonGrundAuf(f, 1)), "");

    // Active again, the next tick shows the time gone by.
    f.DXTimer1->ApplicationStateChanged(Qt::ApplicationActive);
    bild(f);
    EXPECT_EQ(unterschied(gezeigt(f), vonGrundAuf(f, 11)), "");
}

} // namespace
