// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "bestzeit.h"
#include "bildschluessel.h"
#include "einstellungen.h"
#include "framezaehler.h"
#include "spiel.h"
#include "uhr.h"
#include "zeiger.h"
#include "zufall.h"

#include <QMainWindow>
#include <cstdint>
#include <string>

class QAction;
class QMenu;
class QCloseEvent;
class QKeyEvent;
class TDXDraw;
class TDXImageList;
class TDXTimer;
class Toptionen;

// The main window: menu, levels, start-up and shutdown, the frame tick and the
// hand-off of a new best time. It owns the whole state of a run, so a test can make
// as many windows as it likes; the clock and the settings path are handed in.
class TForm1 final : public QMainWindow {
    Q_OBJECT

public:
    // uhr: the clock the game reads, the system clock when null; it must outlive the
    // window. einstellungsPfad: the settings and best-times file.
    explicit TForm1(const TUhr* uhr = nullptr, std::string einstellungsPfad = "zundrec.dat",
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // The state of the run. Members are declared in the order they depend on each other.
private:
    TSystemUhr systemUhr_;
    const TUhr& uhr_;
    std::string einstellungsPfad_;

public:
    TZufall zufall;
    TEinstellungen einstellungen;
    TSpiel spiel;
    TZeiger zeiger;
    Tbestzeit letzterRekord;

    // Components and menu items, named as the form names them. Several names do not say
    // what the item is; the caption stands beside each.
    TDXDraw* DXDraw1 = nullptr;
    TDXImageList* DXImageList1 = nullptr;
    TDXTimer* DXTimer1 = nullptr;
    Toptionen* optionen = nullptr; // the custom field dialog, alive for the whole run

    QMenu* Spiel1 = nullptr;               // "&Spiel"
    QAction* Neu1 = nullptr;               // "&Neu", F2
    QAction* N1 = nullptr;                 // separator
    QAction* Anfnger1 = nullptr;           // "&Anfänger", level 1
    QAction* Fortgeschrittene1 = nullptr;  // "&Fortgeschrittene", level 2
    QAction* Profis1 = nullptr;            // "&Profis", level 3
    QAction* Benutzerdefiniert1 = nullptr; // "A&lptraum", level 4, not the custom field
    QAction* N2 = nullptr;                 // "&Wahnsinn", level 5
    QAction* Merker1 = nullptr;            // "B&enutzerdefiniert", the custom field (6)
    QAction* N3 = nullptr;                 // separator
    QAction* merker = nullptr;             // "&Merker (?)", the marks option
    QAction* N4 = nullptr;                 // separator
    QAction* Beenden1 = nullptr;           // "Best&zeiten...", the best-times dialog
    QAction* Beenden2 = nullptr;           // separator
    QAction* Beenden3 = nullptr;           // "&Beenden", closes the window
    QMenu* N5 = nullptr;                   // "&?"
    QAction* Hilfethemen1 = nullptr;       // "&Hilfethemen"
    QAction* N6 = nullptr;                 // separator
    QAction* Info1 = nullptr;              // "Inf&o..."

    // Window sizing (skalieren.cpp): lays a new board of level `stufe`, b x h (clamped)
    // with n mines, and gives the client area and the drawing surface the board's size.
    void skalieren(int32_t stufe, int32_t b, int32_t h, int32_t n, QObject* Sender);

    // Start-up and shutdown.
    void FormCreate(QObject* Sender);
    // Writes the settings file; false (after the error box) when that failed.
    bool FormClose(QObject* Sender);

    // The frame tick and the new game.
    void DXTimer1Timer(QObject* Sender, int32_t LagCount);
    void Neu1Click(QObject* Sender);

    // Pointer and keys, fed by the drawing surface.
    void FormMouseMove(QObject* Sender, int Shift, int32_t X, int32_t Y);
    void FormMouseDown(QObject* Sender, int Button, int Shift, int32_t X, int32_t Y);
    void FormMouseUp(QObject* Sender, int Button, int Shift, int32_t X, int32_t Y);
    void DXDraw1KeyDown(QObject* Sender, int Key, int Shift);

    // Levels and the marks option (stufenwahl.cpp), named after their menu items.
    void Anfnger1Click(QObject* Sender);
    void Fortgeschrittene1Click(QObject* Sender);
    void Profis1Click(QObject* Sender);
    void Benutzerdefiniert1Click(QObject* Sender); // "A&lptraum": level 4
    void N2Click(QObject* Sender);                 // "&Wahnsinn": level 5
    void Merker1Click(QObject* Sender);            // "B&enutzerdefiniert": asks for a field
    void merkerClick(QObject* Sender);             // "&Merker (?)": toggles the marks option

    // Dialogs and closing.
    // "Best&zeiten...": the best-times dialog (rekord.cpp); the new-record step opens it too.
    void Beenden1Click(QObject* Sender);
    void Beenden3Click(QObject* Sender); // "&Beenden": closes the window
    void Hilfethemen1Click(QObject* Sender);
    void Info1Click(QObject* Sender);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void menueAnlegen();
    QAction* menuePunkt(QMenu* menue, const char* name, const QString& text,
                        void (TForm1::*handler)(QObject*));
    QAction* trenner(QMenu* menue, const char* name);
    void stufenHaken(QAction* eigener);
    void stufeWaehlen(QAction* eigener, int32_t stufe);
    // The check mark of "&Merker (?)" shows the marks option, whose home is spiel.merker.
    void merkerHaken();
    void neuerRekordSchritt();
    // For a repaint: composes the frame when bildNoetig (bildentscheidung.h) says so.
    // True when it composed.
    bool bildFuerAnstrich();
    void fehlerZeigen(const std::string& text);

    TFrameZaehler framezaehler_;
    TBildSchluessel letztesBild_;      // of the frame last composed on the back surface
    bool speichernMisslungen_ = false; // a close already failed to write the settings
};
