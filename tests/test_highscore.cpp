// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "highscore.h"
#include "ligacode.h"
#include "loopback.h"
#include "meldung.h"
#include "qtanwendung.h"
#include "skriptpeer.h"
#include "testuhr.h"
#include "zufall.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

Tbestzeit eintrag(const char* name, int32_t zeit) {
    Tbestzeit e;
    e.name.setzen(name);
    e.zeit = zeit;
    return e;
}

using P = TSkriptPeer;

// One connection: the request is read, the answer sent after verzugMs, the connection closed.
P::Skript einmal(std::string antwort, int verzugMs = 0) {
    return {P::KopfLesen(), P::Pause(verzugMs), P::Senden(std::move(antwort)), P::Schliessen()};
}

std::string host(const P& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

class HighscoreTest : public ::testing::Test {
protected:
    QLabel* label(int n) { return dialog.findChild<QLabel*>(QString("Label%1").arg(n)); }
    QPushButton* knopf(int n) { return dialog.findChild<QPushButton*>(QString("Button%1").arg(n)); }

    void geben(const Tbestzeit& neu, int32_t stufe) {
        dialog.werteGeben(eintraege, neu, stufe, zufall, uhr);
        dialog.werteAnzeigen();
    }

    // Presses "übertragen" and returns the text of the message box it shows.
    QString uebertragen() {
        return meldungBei(dialog, [&] { QTest::mouseClick(knopf(4), Qt::LeftButton); });
    }

    QApplication& anwendung = qtAnwendung();
    Thighscore dialog;
    Thighscore::TEintraege eintraege{};
    TZufall zufall;
    TTestUhr uhr;
};

TEST_F(HighscoreTest, TimeText) {
    EXPECT_EQ(Thighscore::zeitText(123), QString("12,3 Sekunden"));
    EXPECT_EQ(Thighscore::zeitText(5), QString("0,5 Sekunden"));
    EXPECT_EQ(Thighscore::zeitText(10), QString("1,0 Sekunden"));
    EXPECT_EQ(Thighscore::zeitText(9990), QString("999,0 Sekunden"));
    EXPECT_EQ(Thighscore::zeitText(12345), QString("1234,5 Sekunden"));
}

TEST_F(HighscoreTest, WithoutTimesEveryLabelReadsDashAndNothingIsOffered) {
    eintraege[1] = eintrag("Liegengeblieben", 0); // a name without a time is empty
    eintraege[2] = eintrag("Kaputt         ", -7);
    geben(Tbestzeit{}, 1);
    EXPECT_EQ(dialog.windowTitle(), QString("Bestzeiten"));
    EXPECT_EQ(label(1)->text(), QString("Anfänger"));
    EXPECT_EQ(label(5)->text(), QString("Wahnsinn"));
    for (int n = 6; n <= 15; ++n) EXPECT_EQ(label(n)->text(), QString("-")) << n;
    for (int n = 16; n <= 20; ++n) EXPECT_FALSE(label(n)->isEnabled()) << n;
    for (int n = 18; n <= 20; ++n) EXPECT_TRUE(label(n)->text().isEmpty()) << n;
    EXPECT_FALSE(knopf(4)->isEnabled());
    EXPECT_EQ(label(17)->text(), QString("und klicken Sie einmalig hier       ->"));
}

TEST_F(HighscoreTest, ANewTimeIsListedAndOffered) {
    eintraege[2] = eintrag("Profi_01       ", 87);
    eintraege[4] = eintrag("<b>Fett</b>    ", 2500);
    uhr.utcMillis = 4711;
    geben(eintraege[2], 3);

    EXPECT_EQ(zufall.stand(), 4711u); // re-seeded from the time of day
    EXPECT_EQ(label(8)->text(), QString("8,7 Sekunden"));
    EXPECT_EQ(label(13)->text(), QString("Profi_01       "));
    EXPECT_EQ(label(10)->text(), QString("250,0 Sekunden"));
    EXPECT_EQ(label(15)->textFormat(), Qt::PlainText);
    EXPECT_EQ(label(6)->text(), QString("-"));

    EXPECT_EQ(label(18)->text(), QString("Profis"));
    EXPECT_EQ(label(19)->text(), QString("8,7 Sekunden"));
    EXPECT_EQ(label(20)->text(), QString("Profi_01       "));
    for (int n = 16; n <= 20; ++n) EXPECT_TRUE(label(n)->isEnabled()) << n;
    EXPECT_TRUE(knopf(4)->isEnabled());
    EXPECT_EQ(dialog.neueStufe, 3);
}

TEST_F(HighscoreTest, ClearingKeepsNamesAndTheOffer) {
    for (int k = 0; k < 5; ++k) eintraege[k] = eintrag("Spielerin      ", 100 + k);
    geben(eintraege[0], 1);
    QTest::mouseClick(knopf(2), Qt::LeftButton);
    for (int n = 6; n <= 15; ++n) EXPECT_EQ(label(n)->text(), QString("-")) << n;
    EXPECT_TRUE(knopf(4)->isEnabled());

    Thighscore::TEintraege zurueck{};
    dialog.werteHolen(zurueck);
    for (const Tbestzeit& e : zurueck) {
        EXPECT_EQ(e.zeit, 0);
        EXPECT_EQ(e.name.text(), "Spielerin      ");
    }
}

TEST_F(HighscoreTest, KeysOfTheDialog) {
    eintraege[0] = eintrag("Anna11         ", 50);
    geben(Tbestzeit{}, 1);
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), knopf(1));

    // Escape on a button does nothing.
    QTest::keyClick(knopf(1), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    knopf(2)->setFocus();
    QTest::keyClick(knopf(2), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());

    // l and L clear, whichever button has the focus.
    QTest::keyClick(knopf(2), 'L');
    EXPECT_EQ(label(6)->text(), QString("-"));
    dialog.eintraege[0].zeit = 50;
    dialog.werteAnzeigen();
    knopf(1)->setFocus();
    QTest::keyClick(knopf(1), 'l');
    EXPECT_EQ(label(6)->text(), QString("-"));
    EXPECT_TRUE(dialog.isVisible());

    // Enter presses the focused button: on OK it closes.
    QTest::keyClick(knopf(1), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(HighscoreTest, EnterOnClearClearsAndDoesNotClose) {
    eintraege[3] = eintrag("Alpina         ", 999);
    geben(Tbestzeit{}, 1);
    dialog.show();
    knopf(2)->setFocus();
    QTest::keyClick(knopf(2), Qt::Key_Return);
    EXPECT_EQ(label(9)->text(), QString("-"));
    EXPECT_TRUE(dialog.isVisible());
    dialog.hide();
}

TEST_F(HighscoreTest, TransferShowsTheFirstLineAndIsUsedUp) {
    P server({einmal("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n"
                     "Platz 3 von 17\r\nzweite Zeile\r\n")});
    dialog.ligaHostSetzen(host(server));
    const Tbestzeit neu = eintrag("Profi_01       ", 87);
    geben(neu, 3);
    dialog.show();
    knopf(4)->setFocus();

    EXPECT_EQ(uebertragen(), QString("Platz 3 von 17"));
    EXPECT_FALSE(knopf(4)->isEnabled());
    EXPECT_EQ(dialog.focusWidget(), nullptr);

    const std::string& url = dialog.uebertragungsURL;
    const std::string anfang = "http://" + host(server) + "/rekord.php?code=";
    ASSERT_EQ(url.substr(0, anfang.size()), anfang);
    const std::string code = url.substr(anfang.size());
    EXPECT_EQ(code.size(), 64u);
    EXPECT_EQ(code.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    server.beenden();
    const std::string anfrage = server.empfangen(0);
    const std::string erhalten = anfrage.substr(0, anfrage.find("\r\n"));
    EXPECT_EQ(erhalten.rfind("GET /rekord.php?code=" + code + " HTTP/1.0", 0), 0u) << erhalten;

    // The code was drawn from the generator re-seeded by werteGeben.
    TZufall gleich;
    gleich.setzen(uhr.utcMillis);
    EXPECT_EQ(code, getcode(neu.name.text(), neu.zeit, 3,
                            [&gleich](int32_t n) { return gleich.random(n); }));

    // With no control focused, Escape closes the dialog.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(HighscoreTest, AnswersAreShownAsTheyCome) {
    struct Fall {
        std::string rumpf;
        QString gezeigt;
    };
    const std::string langeZeile(5000, 'x');
    const std::vector<Fall> faelle = {
        {"ohne Zeilenende!", "ohne Zeilenende!"},
        {"", ""},
        {"\r\nnach leerer Zeile", ""},
        {langeZeile + "\n", QString(4096, u'x')},
        {"<b>kein Markup</b>\r", "<b>kein Markup</b>"},
    };
    for (const Fall& f : faelle) {
        Thighscore d;
        P server({einmal("HTTP/1.0 200 OK\r\n\r\n" + f.rumpf)});
        d.ligaHostSetzen(host(server));
        d.werteGeben(eintraege, eintrag("Unbekannt      ", 300), 1, zufall, uhr);
        EXPECT_EQ(meldungBei(d, [&] { d.Button4Click(); }), f.gezeigt) << f.rumpf.substr(0, 40);
    }
}

TEST_F(HighscoreTest, OkDuringTheTransferClosesOnlyAfterTheAnswer) {
    P server({einmal("HTTP/1.0 200 OK\r\n\r\nDanke", 300)});
    dialog.ligaHostSetzen(host(server));
    geben(eintrag("Unbekannt      ", 300), 1);
    dialog.show();
    bool geklickt = false;
    bool offenBeiMeldung = false;
    QTimer wache;
    QObject::connect(&wache, &QTimer::timeout, &dialog, [&] {
        if (auto* box = dialog.findChild<QMessageBox*>(); box && box->isVisible()) {
            offenBeiMeldung = dialog.isVisible();
            box->accept();
        } else if (!geklickt) {
            geklickt = true;
            QTest::mouseClick(knopf(1), Qt::LeftButton);
        }
    });
    wache.start(10);
    QTest::mouseClick(knopf(4), Qt::LeftButton);
    EXPECT_TRUE(geklickt);
    EXPECT_TRUE(offenBeiMeldung);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(HighscoreTest, FailuresShowOneMessage) {
    {
        P server({einmal("HTTP/1.0 404 Not Found\r\n\r\nweg")});
        dialog.ligaHostSetzen(host(server));
        geben(eintrag("Unbekannt      ", 300), 1);
        EXPECT_EQ(uebertragen(), QString("Fehler beim Übertragen der Daten!"));
        EXPECT_FALSE(knopf(4)->isEnabled());
    }
    {
        // Nobody listens on this port.
        Thighscore d;
        d.ligaHostSetzen("127.0.0.1:" + std::to_string(freierPort()));
        d.werteGeben(eintraege, eintrag("Unbekannt      ", 300), 1, zufall, uhr);
        EXPECT_EQ(meldungBei(d, [&] { d.Button4Click(); }),
                  QString("Fehler beim Übertragen der Daten!"));
    }
}

} // namespace
