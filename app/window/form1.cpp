// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "dxdraw.h"
#include "dximagelist.h"
#include "dxtimer.h"
#include "layout.h"
#include "options.h"
#include "spriteliste.h"
#include "virtualkey.h"

#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <exception>

TForm1::TForm1(const TUhr* uhr, std::string einstellungsPfad, QWidget* parent)
    : QMainWindow(parent), uhr_(uhr ? *uhr : systemUhr_),
      einstellungsPfad_(std::move(einstellungsPfad)),
      spiel(zufall, uhr_, einstellungen.bestzeiten) {
    setObjectName("Form1");
    setWindowTitle("Zundelfeld");
    // A single fixed border: a minimise button and a close box, no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QPixmap symbol;
    auto png = anwendungsSymbolDaten();
    if (!png.empty() && symbol.loadFromData(png.data(), static_cast<uint>(png.size()), "PNG"))
        setWindowIcon(QIcon(symbol));

    menueAnlegen();

    DXDraw1 = new TDXDraw(this);
    DXDraw1->setObjectName("DXDraw1");
    DXDraw1->setFixedSize(clientBreite(8), clientHoehe(8));
    setCentralWidget(DXDraw1);
    // The window is exactly menu bar plus client area, whatever the board's width.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    DXDraw1->OnMouseMove = [this](QObject* s, int shift, int32_t x, int32_t y) {
        FormMouseMove(s, shift, x, y);
    };
    DXDraw1->OnMouseDown = [this](QObject* s, int b, int shift, int32_t x, int32_t y) {
        FormMouseDown(s, b, shift, x, y);
    };
    DXDraw1->OnMouseUp = [this](QObject* s, int b, int shift, int32_t x, int32_t y) {
        FormMouseUp(s, b, shift, x, y);
    };
    DXDraw1->OnKeyDown = [this](QObject* s, int key, int shift) { DXDraw1KeyDown(s, key, shift); };
    DXDraw1->OnPaint = [this](QObject*) { return bildFuerAnstrich(); };
    DXDraw1->setFocus();

    DXDraw1->OnError = [this](QObject*, const std::string& meldung) { fehlerZeigen(meldung); };

    try {
        DXImageList1 = new TDXImageList(DXDraw1, spritesLaden, this);
    } catch (const std::exception& e) {
        // Without its pictures the game can still be closed, with its best times saved.
        DXImageList1 = new TDXImageList(nullptr, spritesLaden, this);
        fehlerZeigen(e.what());
    }
    DXImageList1->setObjectName("DXImageList1");

    DXTimer1 = new TDXTimer(this);
    DXTimer1->setObjectName("DXTimer1");
    DXTimer1->SetActiveOnly(true);
    DXTimer1->SetInterval(0);
    DXTimer1->OnTimer = [this](QObject* s, int32_t lag) { DXTimer1Timer(s, lag); };

    optionen = new Toptionen(this);

    // Under X11 the window opens here; Wayland lets no client place its window, and the
    // compositor chooses.
    move(192, 107);
    FormCreate(this);
    // Ticks start once start-up has laid the board.
    DXTimer1->SetEnabled(true);
}

TForm1::~TForm1() = default;

QAction* TForm1::menuePunkt(QMenu* menue, const char* name, const QString& text,
                            void (TForm1::*handler)(QObject*)) {
    auto* a = menue->addAction(text);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, a, handler] {
        // Check marks are the handlers' business: undo the toolkit's own toggle first.
        if (a->isCheckable()) a->setChecked(!a->isChecked());
        (this->*handler)(a);
    });
    return a;
}

QAction* TForm1::trenner(QMenu* menue, const char* name) {
    auto* a = menue->addSeparator();
    a->setObjectName(name);
    return a;
}

void TForm1::menueAnlegen() {
    Spiel1 = menuBar()->addMenu("&Spiel");
    Spiel1->setObjectName("Spiel1");
    Neu1 = menuePunkt(Spiel1, "Neu1", "&Neu", &TForm1::Neu1Click);
    Neu1->setShortcut(QKeySequence(Qt::Key_F2));
    N1 = trenner(Spiel1, "N1");
    Anfnger1 = menuePunkt(Spiel1, "Anfnger1", "&Anfänger", &TForm1::Anfnger1Click);
    Fortgeschrittene1 = menuePunkt(Spiel1, "Fortgeschrittene1", "&Fortgeschrittene",
                                   &TForm1::Fortgeschrittene1Click);
    Profis1 = menuePunkt(Spiel1, "Profis1", "&Profis", &TForm1::Profis1Click);
    Benutzerdefiniert1 =
        menuePunkt(Spiel1, "Benutzerdefiniert1", "A&lptraum", &TForm1::Benutzerdefiniert1Click);
    N2 = menuePunkt(Spiel1, "N2", "&Wahnsinn", &TForm1::N2Click);
    Merker1 = menuePunkt(Spiel1, "Merker1", "B&enutzerdefiniert", &TForm1::Merker1Click);
    N3 = trenner(Spiel1, "N3");
    merker = menuePunkt(Spiel1, "merker", "&Merker (?)", &TForm1::merkerClick);
    N4 = trenner(Spiel1, "N4");
    Beenden1 = menuePunkt(Spiel1, "Beenden1", "Best&zeiten...", &TForm1::Beenden1Click);
    Beenden2 = trenner(Spiel1, "Beenden2");
    Beenden3 = menuePunkt(Spiel1, "Beenden3", "&Beenden", &TForm1::Beenden3Click);
    for (QAction* a :
         {Anfnger1, Fortgeschrittene1, Profis1, Benutzerdefiniert1, N2, Merker1, merker})
        a->setCheckable(true);

    N5 = menuBar()->addMenu("&?");
    N5->setObjectName("N5");
    Hilfethemen1 = menuePunkt(N5, "Hilfethemen1", "&Hilfethemen", &TForm1::Hilfethemen1Click);
    N6 = trenner(N5, "N6");
    Info1 = menuePunkt(N5, "Info1", "Inf&o...", &TForm1::Info1Click);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // Keys that reach the window itself go to the same handler as the surface's.
    DXDraw1KeyDown(this, WindowsVirtualKey(event->key(), event->modifiers()), 0);
    QMainWindow::keyPressEvent(event);
}

void TForm1::merkerClick(QObject*) {
    spiel.merker = !spiel.merker;
    merkerHaken();
}

void TForm1::merkerHaken() {
    merker->setChecked(spiel.merker);
}

void TForm1::Beenden3Click(QObject*) {
    close();
}
