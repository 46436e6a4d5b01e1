// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's form: menu, captions, check marks, levels and sizes, keys.
#include "anwendung.h"
#include "form1hilfe.h"
#include "options.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTranslator>
#include <vector>

namespace {

using Fenster = FensterTest;

std::vector<QAction*> levelItems(TForm1& f) {
    return {f.Anfnger1, f.Fortgeschrittene1, f.Profis1, f.Benutzerdefiniert1, f.N2, f.Merker1};
}

// The one checked level item, or null when none or several are checked.
QAction* checkedLevel(TForm1& f) {
    QAction* gefunden = nullptr;
    for (QAction* a : levelItems(f)) {
        if (!a->isChecked()) continue;
        if (gefunden) return nullptr;
        gefunden = a;
    }
    return gefunden;
}

QSize clientSize(TForm1& f) {
    return f.centralWidget()->size();
}

TEST_F(Fenster, MenuHasItsItemsInOrderWithTheirCaptions) {
    TForm1& f = starten();
    EXPECT_EQ(f.windowTitle(), QString("Zundelfeld"));
    const QList<QAction*> oben = f.menuBar()->actions();
    ASSERT_EQ(oben.size(), 2);
    EXPECT_EQ(oben[0]->menu(), f.Spiel1);
    EXPECT_EQ(oben[0]->text(), QString("&Spiel"));
    EXPECT_EQ(oben[1]->menu(), f.N5);
    EXPECT_EQ(oben[1]->text(), QString("&?"));

    struct Punkt {
        const char* name;
        const char* text; // null for a separator
    };
    const std::vector<Punkt> spiel = {
        {"Neu1", "&Neu"},          {"N1", nullptr},
        {"Anfnger1", "&Anfänger"}, {"Fortgeschrittene1", "&Fortgeschrittene"},
        {"Profis1", "&Profis"},    {"Benutzerdefiniert1", "A&lptraum"},
        {"N2", "&Wahnsinn"},       {"Merker1", "B&enutzerdefiniert"},
        {"N3", nullptr},           {"merker", "&Merker (?)"},
        {"N4", nullptr},           {"Beenden1", "Best&zeiten..."},
        {"Beenden2", nullptr},     {"Beenden3", "&Beenden"},
    };
    const std::vector<Punkt> hilfe = {
        {"Hilfethemen1", "&Hilfethemen"}, {"N6", nullptr}, {"Info1", "Inf&o..."}};
    auto pruefen = [](QMenu* menue, const std::vector<Punkt>& soll) {
        const QList<QAction*> ist = menue->actions();
        ASSERT_EQ(ist.size(), static_cast<qsizetype>(soll.size()));
        for (std::size_t i = 0; i < soll.size(); ++i) {
            QAction* a = ist[static_cast<qsizetype>(i)];
            EXPECT_EQ(a->objectName(), QString(soll[i].name));
            if (soll[i].text) {
                EXPECT_FALSE(a->isSeparator()) << soll[i].name;
                EXPECT_EQ(a->text(), QString::fromUtf8(soll[i].text)) << soll[i].name;
            } else {
                EXPECT_TRUE(a->isSeparator()) << soll[i].name;
            }
        }
    };
    pruefen(f.Spiel1, spiel);
    pruefen(f.N5, hilfe);

    EXPECT_EQ(f.Neu1->shortcut(), QKeySequence(Qt::Key_F2));
    for (QAction* a : f.Spiel1->actions())
        EXPECT_EQ(a->shortcut().isEmpty(), a != f.Neu1) << a->objectName().toStdString();
    // Tests and scripts find the items by name.
    EXPECT_EQ(f.findChild<QAction*>("Profis1"), f.Profis1);
    EXPECT_EQ(f.findChild<QMenu*>("Spiel1"), f.Spiel1);
}

TEST_F(Fenster, WindowIsFixedAtItsPlaceWithoutMaximiseButton) {
    TForm1& f = starten();
    EXPECT_EQ(f.pos(), QPoint(192, 107));
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(f.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_EQ(f.centralWidget(), f.DXDraw1);
    EXPECT_EQ(f.DXDraw1->pos(), QPoint(0, f.menuBar()->height()));
    // The window is as wide as the client area, even for the narrowest board.
    EXPECT_EQ(f.width(), 152);
    EXPECT_EQ(f.height(), 195 + f.menuBar()->height());
}

TEST_F(Fenster, EachLevelChecksOnlyItsItemAndSizesTheWindow) {
    TForm1& f = starten();
    struct Fall {
        QAction* TForm1::*punkt;
        void (TForm1::*handler)(QObject*);
        int32_t stufe, breite, hoehe, minen;
        QSize client;
    };
    const std::vector<Fall> faelle = {
        {&TForm1::Profis1, &TForm1::Profis1Click, 3, 30, 16, 99, {504, 323}},
        {&TForm1::Fortgeschrittene1, &TForm1::Fortgeschrittene1Click, 2, 16, 16, 40, {280, 323}},
        {&TForm1::N2, &TForm1::N2Click, 5, 40, 30, 250, {664, 547}},
        {&TForm1::Benutzerdefiniert1, &TForm1::Benutzerdefiniert1Click, 4, 36, 24, 180, {600, 451}},
        {&TForm1::Anfnger1, &TForm1::Anfnger1Click, 1, 8, 8, 10, {152, 195}},
    };
    for (const Fall& fall : faelle) {
        (f.*fall.handler)(nullptr);
        EXPECT_EQ(checkedLevel(f), f.*fall.punkt) << fall.stufe;
        EXPECT_EQ(f.spiel.spielstufe, fall.stufe);
        EXPECT_EQ(f.spiel.breite, fall.breite);
        EXPECT_EQ(f.spiel.hoehe, fall.hoehe);
        EXPECT_EQ(f.spiel.feld.minen, fall.minen);
        EXPECT_EQ(clientSize(f), fall.client) << fall.stufe;
        EXPECT_EQ(f.size(), fall.client + QSize(0, f.menuBar()->height())) << fall.stufe;
        // The back surface takes the new size before the next frame is drawn.
        EXPECT_EQ(f.DXDraw1->BackSurface().width(), fall.client.width());
        EXPECT_EQ(f.DXDraw1->BackSurface().height(), fall.client.height());
    }
}

TEST_F(Fenster, MenuTriggerKeepsTheCheckMarksAsTheHandlersSetThem) {
    TForm1& f = starten();
    f.Profis1->trigger();
    EXPECT_EQ(checkedLevel(f), f.Profis1);
    // Choosing the current level again keeps its mark and lays a new board.
    klicken(f, 1, 1);
    ASSERT_FALSE(f.spiel.feld.ersterKlick);
    f.Profis1->trigger();
    EXPECT_EQ(checkedLevel(f), f.Profis1);
    EXPECT_TRUE(f.spiel.feld.ersterKlick);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 0);

    EXPECT_FALSE(f.merker->isChecked());
    f.merker->trigger();
    EXPECT_TRUE(f.merker->isChecked());
    EXPECT_TRUE(f.spiel.merker);
    f.merkerClick(nullptr);
    EXPECT_FALSE(f.merker->isChecked());
    EXPECT_FALSE(f.spiel.merker);
}

// Plays the custom field dialog: enters the three texts and presses OK.
void eingeben(TForm1& f, const char* hoehe, const char* breite, const char* minen) {
    beiModal<Toptionen>([=](Toptionen* d) {
        d->findChild<QLineEdit*>("Edit3")->setText(hoehe);
        d->findChild<QLineEdit*>("Edit2")->setText(breite);
        d->findChild<QLineEdit*>("Edit1")->setText(minen);
        d->findChild<QPushButton*>("Button1")->click();
    });
    f.Merker1->trigger();
}

TEST_F(Fenster, CustomFieldIsClampedAndSized) {
    TForm1& f = starten();
    struct Fall {
        const char *hoehe, *breite, *minen;
        int32_t b, h, n;
    };
    const std::vector<Fall> faelle = {
        {"5", "100", "3", 72, 8, 10},      {"8", "8", "60", 8, 8, 49},
        {"56", "72", "5000", 72, 56, 999}, {"100", "5", "10", 8, 56, 10},
        {"15", "20", "50", 20, 15, 50},
    };
    for (const Fall& fall : faelle) {
        eingeben(f, fall.hoehe, fall.breite, fall.minen);
        EXPECT_EQ(checkedLevel(f), f.Merker1);
        EXPECT_EQ(f.spiel.spielstufe, 6);
        EXPECT_EQ(f.spiel.breite, fall.b);
        EXPECT_EQ(f.spiel.hoehe, fall.h);
        EXPECT_EQ(f.spiel.feld.minen, fall.n);
        EXPECT_EQ(clientSize(f), QSize(fall.b * 16 + 24, fall.h * 16 + 67));
    }
    EXPECT_EQ(f.width(), 20 * 16 + 24);
}

TEST_F(Fenster, CancelledOrEmptyCustomFieldChangesNothing) {
    TForm1& f = starten();
    f.Profis1Click(nullptr);
    klicken(f, 3, 3);
    const int32_t offen = f.spiel.feld.aufgedeckt;
    ASSERT_GT(offen, 0);

    eingeben(f, "12", "", "20");
    beiModal<Toptionen>([](Toptionen* d) { d->findChild<QPushButton*>("Button2")->click(); });
    f.Merker1->trigger();

    EXPECT_EQ(checkedLevel(f), f.Profis1);
    EXPECT_EQ(f.spiel.spielstufe, 3);
    EXPECT_EQ(f.spiel.breite, 30);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, offen); // the game goes on
}

TEST_F(Fenster, F2StartsANewGameAndEscapeMinimises) {
    TForm1& f = starten();
    klicken(f, 4, 4);
    ASSERT_FALSE(f.spiel.feld.ersterKlick);
    f.activateWindow();
    f.DXDraw1->setFocus();
    QTest::keyClick(f.DXDraw1, Qt::Key_F2);
    EXPECT_TRUE(f.spiel.feld.ersterKlick);
    EXPECT_EQ(f.spiel.feld.aufgedeckt, 0);

    // Other keys do nothing.
    klicken(f, 4, 4);
    QTest::keyClick(f.DXDraw1, Qt::Key_A);
    QTest::keyClick(f.DXDraw1, Qt::Key_Return);
    EXPECT_FALSE(f.spiel.feld.ersterKlick);
    EXPECT_FALSE(f.isMinimized());

    QTest::keyClick(f.DXDraw1, Qt::Key_Escape);
    EXPECT_TRUE(f.isMinimized());
}

TEST_F(Fenster, F1OpensTheHelp) {
    TForm1& f = starten();
    bool geoeffnet = false;
    beiModal<QDialog>([&](QDialog* d) {
        geoeffnet = true;
        EXPECT_EQ(d->windowTitle(), QString("Hilfe zu Zundelfeld"));
        d->close();
    });
    QTest::keyClick(f.DXDraw1, Qt::Key_F1);
    EXPECT_TRUE(geoeffnet);
    // Freed after closing: no dialog is left as a child of the window.
    EXPECT_EQ(f.findChildren<QDialog*>().size(), 1); // only the custom field dialog
}

TEST_F(Fenster, InfoOpensTheAboutBox) {
    TForm1& f = starten();
    bool geoeffnet = false;
    beiModal<QDialog>([&](QDialog* d) {
        geoeffnet = true;
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Info über Zundelfeld"));
        d->close();
    });
    f.Info1->trigger();
    EXPECT_TRUE(geoeffnet);
    EXPECT_EQ(f.findChildren<QDialog*>().size(), 1);
}

TEST(Anwendung, IsTitledZundelfeldAndSpeaksGermanInTheToolkitsTextsToo) {
    qtAnwendung();
    QTranslator qtDeutsch;
    ASSERT_TRUE(anwendungEinrichten(qtDeutsch)) << "qt6-translations-l10n missing?";
    EXPECT_EQ(QCoreApplication::applicationName(), QString("Zundelfeld"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Abbrechen"));
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Undo"), QString::fromUtf8("&Rückgängig"));
    QCoreApplication::removeTranslator(&qtDeutsch);
}

} // namespace
