// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-off of a new best time: name entry, the level's entry, the best-times dialog.
#include "einstellungendatei.h"
#include "form1hilfe.h"
#include "highscore.h"
#include "namenEingeben.h"
#include "skriptpeer.h"
#include "stufen.h"
#include "testbrett.h"
#include "zeitrechnung.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace {

using Rekord = FensterTest;

struct Ablauf {
    QString zeile;          // Label2 of the name entry
    bool angeboten = false; // the transfer was on offer in the best-times dialog
    int namen = 0;
    int bestzeiten = 0;
};

// Answers the name entry with `name` and closes the best-times dialog that follows.
void antworten(Ablauf& a, const QString& name) {
    beiModal<TnamenEingeben>([&a, name](TnamenEingeben* d) {
        ++a.namen;
        a.zeile = d->Label2->text();
        d->Edit1->setText(name);
        beiModal<Thighscore>([&a](Thighscore* h) {
            ++a.bestzeiten;
            a.angeboten = h->findChild<QPushButton*>("Button4")->isEnabled();
            h->findChild<QPushButton*>("Button1")->click();
        });
        d->findChild<QPushButton*>("Button1")->click();
    });
}

TEST_F(Rekord, EachFixedLevelWritesItsOwnEntryWithItsOwnLine) {
    TForm1& f = starten();
    struct Fall {
        void (TForm1::*stufe)(QObject*);
        const char* zeile;
    };
    const std::vector<Fall> faelle = {
        {&TForm1::Anfnger1Click, "Spielstufe für Anfänger erzielt. "},
        {&TForm1::Fortgeschrittene1Click, "Spielstufe für Fortgeschrittene erzielt. "},
        {&TForm1::Profis1Click, "Spielstufe für Profis erzielt. "},
        {&TForm1::Benutzerdefiniert1Click, "Spielstufe Alptraum erzielt. "},
        {&TForm1::N2Click, "Spielstufe Wahnsinn erzielt. "},
    };
    for (std::size_t i = 0; i < faelle.size(); ++i) {
        const int32_t stufe = static_cast<int32_t>(i) + 1;
        (f.*faelle[i].stufe)(nullptr);
        f.zufall.setzen(1000u + static_cast<uint32_t>(i));
        f.Neu1Click(nullptr);
        klicken(f, 1, 1);
        uhr.vorstellen(3.0 + static_cast<double>(i));
        gewinnen(f);
        ASSERT_TRUE(f.spiel.gewonnen) << stufe;
        ASSERT_TRUE(f.spiel.neuerRekord) << stufe;

        Ablauf a;
        const QString name = QString("Spieler%1").arg(stufe);
        antworten(a, name);
        bild(f);
        EXPECT_EQ(a.namen, 1);
        EXPECT_EQ(a.zeile, QString::fromUtf8(faelle[i].zeile)) << stufe;
        EXPECT_EQ(a.bestzeiten, 1);
        EXPECT_TRUE(a.angeboten) << stufe;

        const Tbestzeit& b = f.einstellungen.bestzeit(stufe);
        EXPECT_EQ(b.name.text(), (name + QString(15 - name.size(), ' ')).toStdString());
        EXPECT_EQ(b.zeit, zehntelAusTagen(f.spiel.endZeit));
        EXPECT_GE(b.zeit, 40 + 10 * static_cast<int32_t>(i));
        // The offer was used up by the dialog; the copy still names the entry.
        EXPECT_EQ(f.letzterRekord.zeit, 0);
        EXPECT_EQ(f.letzterRekord.name, b.name);
        for (int32_t andere = stufe + 1; andere <= 5; ++andere)
            EXPECT_TRUE(f.einstellungen.bestzeit(andere).leer()) << andere;
        EXPECT_TRUE(f.DXTimer1->Enabled());
        f.DXTimer1->SetEnabled(false);
    }
}

TEST_F(Rekord, AGameWon1244SecondsAfterItsStartStores124) {
    TForm1& f = starten();
    brettLegen(f.spiel, {"*.......", "........", "........", "........", "........", "........",
                         "........", ".......*"});
    klicken(f, 2, 2); // a 1 beside the mine: opens only itself, starts the clock
    uhr.vorstellen(11.44);
    klicken(f, 4, 4); // floods the rest
    ASSERT_TRUE(f.spiel.gewonnen);

    Ablauf a;
    antworten(a, "Schnell");
    bild(f);
    // The frame behind the name entry showed 12 seconds.
    EXPECT_TRUE(steht(f, 0, zeitStellePos(8, 0)));
    EXPECT_TRUE(steht(f, 1, zeitStellePos(8, 1)));
    EXPECT_TRUE(steht(f, 2, zeitStellePos(8, 2)));
    EXPECT_EQ(f.einstellungen.bestzeit(1).zeit, 124);
}

TEST_F(Rekord, BestTimesSurviveARestartNamesAndAll) {
    {
        TForm1& f = starten();
        f.Fortgeschrittene1Click(nullptr);
        f.zufall.setzen(77u);
        f.Neu1Click(nullptr);
        klicken(f, 8, 8);
        uhr.vorstellen(20.0);
        gewinnen(f);
        Ablauf a;
        antworten(a, QString("Zuendler_1"));
        bild(f);
        ASSERT_EQ(a.namen, 1);
        ASSERT_TRUE(schliessen());
    }
    QFile roh(QString::fromStdString(pfad()));
    ASSERT_TRUE(roh.open(QIODevice::ReadOnly));
    const QByteArray bytes = roh.readAll();
    ASSERT_EQ(bytes.size(), 136);
    EXPECT_EQ(bytes[17], '\0'); // the name slot is written empty

    TForm1& f = starten();
    EXPECT_EQ(f.spiel.spielstufe, 2);
    const Tbestzeit& b = f.einstellungen.bestzeit(2);
    EXPECT_GT(b.zeit, 200);
    EXPECT_EQ(b.name.text(), std::string("Zuendler_1     "));
    EXPECT_EQ(f.letzterRekord.zeit, 0);

    // Without a new record the best-times dialog shows the list and offers nothing.
    bool angeboten = true;
    beiModal<Thighscore>([&](Thighscore* h) {
        angeboten = h->findChild<QPushButton*>("Button4")->isEnabled();
        EXPECT_EQ(h->findChild<QLabel*>("Label12")->text().trimmed(), QString("Zuendler_1"));
        h->findChild<QPushButton*>("Button1")->click();
    });
    f.Beenden1->trigger();
    EXPECT_FALSE(angeboten);
}

// The window hands its frame timer to the best-times dialog: no frame runs while the
// transfer waits for the league's answer.
TEST_F(Rekord, NoFramesWhileTheTransferWaits) {
    TForm1& f = starten();
    TSkriptPeer peer(
        {{TSkriptPeer::KopfLesen(), TSkriptPeer::Pause(300),
          TSkriptPeer::Senden("HTTP/1.0 200 OK\r\n\r\nDanke"), TSkriptPeer::Schliessen()}});
    f.letzterRekord.name.setzen("Zuendler_1     ");
    f.letzterRekord.zeit = 300;
    int bilder = 0;
    f.DXTimer1->OnTimer = [&, tick = f.DXTimer1->OnTimer](QObject* s, int32_t lag) {
        ++bilder;
        tick(s, lag);
    };
    f.DXTimer1->SetActiveOnly(false);
    f.DXTimer1->SetEnabled(true);
    int beimVerbinden = -1, beiDerAntwort = -1;
    beiModal<Thighscore>([&](Thighscore* h) {
        h->ligaHostSetzen("127.0.0.1:" + std::to_string(peer.port()));
        h->HttpCli1.OnSessionConnected = [&](THttpCli&) { beimVerbinden = bilder; };
        h->HttpCli1.OnHeaderData = [&](THttpCli&) { beiDerAntwort = bilder; };
        beiModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
        h->Button4Click();
        h->findChild<QPushButton*>("Button1")->click();
    });
    f.Beenden1->trigger();
    ASSERT_GE(beimVerbinden, 0);
    EXPECT_EQ(beiDerAntwort, beimVerbinden);
}

TEST_F(Rekord, TheCustomLevelAndSlowerGamesNeverAsk) {
    TForm1& f = starten();
    int dialoge = 0;
    QTimer wache;
    QObject::connect(&wache, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++dialoge;
            d->done(0);
        }
    });
    wache.start(5);

    f.skalieren(stufeBenutzerdefiniert, 8, 8, 10, nullptr);
    brettLegen(f.spiel, {"*.......", "........", "........", "........", "........", "........",
                         "........", ".......*"});
    klicken(f, 4, 4);
    ASSERT_TRUE(f.spiel.gewonnen);
    EXPECT_FALSE(f.spiel.neuerRekord);
    bild(f);

    f.Anfnger1Click(nullptr);
    f.einstellungen.bestzeit(1).zeit = 5;
    brettLegen(f.spiel, {"*.......", "........", "........", "........", "........", "........",
                         "........", ".......*"});
    klicken(f, 4, 4);
    ASSERT_TRUE(f.spiel.gewonnen);
    EXPECT_FALSE(f.spiel.neuerRekord);
    bild(f);
    QTest::qWait(30);
    EXPECT_EQ(dialoge, 0);
    EXPECT_EQ(f.einstellungen.bestzeit(1).zeit, 5);
}

TEST_F(Rekord, ARecordLeftOverOnTheCustomLevelHasNoEntryToGoTo) {
    TForm1& f = starten();
    int dialoge = 0;
    QTimer wache;
    QObject::connect(&wache, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++dialoge;
            d->done(0);
        }
    });
    wache.start(5);
    const TEinstellungen vorher = f.einstellungen;
    TSpielZugang roh(f.spiel);
    roh.neuerRekord = true;
    roh.spielstufe = stufeBenutzerdefiniert;
    bild(f);
    QTest::qWait(30);
    EXPECT_FALSE(f.spiel.neuerRekord);
    EXPECT_EQ(dialoge, 0);
    EXPECT_EQ(f.einstellungen, vorher);
}

} // namespace
