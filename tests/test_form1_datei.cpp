// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up from the settings file and writing it at close.
#include "einstellungendatei.h"
#include "form1hilfe.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace {

using Datei = FensterTest;

TEinstellungen gespeichert(const std::string& pfad) {
    TEinstellungen e;
    EXPECT_TRUE(einstellungenLesen(pfad, e));
    return e;
}

void ablegen(const std::string& pfad, int32_t stufe, int32_t breite, int32_t hoehe, int32_t minen,
             uint8_t merkerAn = 0) {
    TEinstellungen e;
    einstellungenVorgaben(e);
    e.stufe = stufe;
    e.feldBreite = breite;
    e.feldHoehe = hoehe;
    e.feldMinen = minen;
    e.merkerAn = merkerAn;
    ASSERT_EQ(einstellungenSchreiben(pfad, e), 0);
}

TEST_F(Datei, WithoutAFileItStartsOnBeginnerAndClosingWritesIt) {
    TForm1& f = starten();
    EXPECT_EQ(f.spiel.spielstufe, 1);
    EXPECT_EQ(f.spiel.breite, 8);
    EXPECT_EQ(f.spiel.hoehe, 8);
    EXPECT_EQ(f.spiel.feld.minen, 10);
    EXPECT_TRUE(f.Anfnger1->isChecked());
    EXPECT_FALSE(f.merker->isChecked());
    EXPECT_TRUE(f.spiel.feld.ersterKlick);
    for (const Tbestzeit& b : f.einstellungen.bestzeiten) EXPECT_TRUE(b.leer());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pfad())));

    f.Fortgeschrittene1Click(nullptr);
    f.merkerClick(nullptr);
    EXPECT_TRUE(schliessen());
    EXPECT_EQ(QFile(QString::fromStdString(pfad())).size(), 136);
    const TEinstellungen e = gespeichert(pfad());
    EXPECT_EQ(e.stufe, 2);
    EXPECT_EQ(e.feldHoehe, 16);
    EXPECT_EQ(e.feldBreite, 16);
    EXPECT_EQ(e.feldMinen, 40);
    EXPECT_EQ(e.merkerAn, 1);
    EXPECT_EQ(e.nameEingabe.laenge, 0);
}

// The game holds the marks option: the menu item toggles the game's flag and shows it,
// and closing stores the game's flag, whatever the check mark said before.
TEST_F(Datei, TheMarksOptionLivesInTheGame) {
    TForm1& f = starten();
    f.spiel.merker = true;
    f.merkerClick(nullptr);
    EXPECT_FALSE(f.spiel.merker);
    EXPECT_FALSE(f.merker->isChecked());
    f.spiel.merker = true;
    EXPECT_TRUE(schliessen());
    EXPECT_EQ(gespeichert(pfad()).merkerAn, 1);
}

TEST_F(Datei, FixedLevelsIgnoreTheStoredSize) {
    ablegen(pfad(), 3, 50, 9, 12);
    TForm1& f = starten();
    EXPECT_EQ(f.spiel.spielstufe, 3);
    EXPECT_TRUE(f.Profis1->isChecked());
    EXPECT_EQ(f.spiel.breite, 30);
    EXPECT_EQ(f.spiel.hoehe, 16);
    EXPECT_EQ(f.spiel.feld.minen, 99);
    EXPECT_EQ(f.centralWidget()->size(), QSize(504, 323));
}

TEST_F(Datei, TheCustomLevelIsClampedAndSurvivesARestart) {
    ablegen(pfad(), 6, 100, 3, 5000, 1);
    {
        TForm1& f = starten();
        EXPECT_EQ(f.spiel.spielstufe, 6);
        EXPECT_TRUE(f.Merker1->isChecked());
        EXPECT_FALSE(f.Anfnger1->isChecked());
        EXPECT_TRUE(f.merker->isChecked());
        EXPECT_TRUE(f.spiel.merker);
        EXPECT_EQ(f.spiel.breite, 72);
        EXPECT_EQ(f.spiel.hoehe, 8);
        EXPECT_EQ(f.spiel.feld.minen, 497);
        EXPECT_EQ(f.centralWidget()->size(), QSize(72 * 16 + 24, 8 * 16 + 67));
        EXPECT_TRUE(schliessen());
    }
    TForm1& f = starten();
    EXPECT_TRUE(f.Merker1->isChecked());
    EXPECT_EQ(f.spiel.breite, 72);
    EXPECT_EQ(f.spiel.hoehe, 8);
    EXPECT_EQ(f.spiel.feld.minen, 497);
    EXPECT_TRUE(f.merker->isChecked());
}

TEST_F(Datei, ADamagedFileIsTreatedAsMissingAndReplacedAtClose) {
    const std::vector<QByteArray> kaputt = {
        QByteArray(100, '\x01'),
        // Level 9: no level to apply.
        QByteArray::fromHex("09000000100000001000000028000000") + QByteArray(120, '\0'),
    };
    for (const QByteArray& inhalt : kaputt) {
        QFile datei(QString::fromStdString(pfad()));
        ASSERT_TRUE(datei.open(QIODevice::WriteOnly | QIODevice::Truncate));
        datei.write(inhalt);
        datei.close();
        TForm1& f = starten();
        EXPECT_EQ(f.spiel.spielstufe, 1);
        EXPECT_TRUE(f.Anfnger1->isChecked());
        EXPECT_EQ(f.spiel.breite, 8);
        EXPECT_EQ(f.spiel.feld.minen, 10);
        EXPECT_TRUE(schliessen());
        EXPECT_EQ(QFile(QString::fromStdString(pfad())).size(), 136);
        EXPECT_EQ(gespeichert(pfad()).stufe, 1);
    }
}

TEST_F(Datei, AFailedWriteKeepsTheWindowOpenOnceAndTheNextCloseEndsIt) {
    // The second close writes once more: into the missing folder again, or into the
    // folder the player has made meanwhile.
    for (bool ordnerAngelegt : {false, true}) {
        const QString unterordner = ordner.path() + (ordnerAngelegt ? "/neu" : "/fehlt");
        const std::string unmoeglich = (unterordner + "/zundrec.dat").toStdString();
        TForm1& f = starten(unmoeglich);
        f.Profis1Click(nullptr);
        int meldungen = 0;
        auto melden = [&](QMessageBox* box) {
            ++meldungen;
            EXPECT_EQ(box->windowTitle(), QString("Zundelfeld"));
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->text(), QString("Datei nicht gefunden."));
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            box->button(QMessageBox::Ok)->click();
        };
        beiModal<QMessageBox>(melden);
        EXPECT_FALSE(f.close());
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(meldungen, 1);

        if (ordnerAngelegt) {
            ASSERT_TRUE(QDir().mkpath(unterordner));
        } else {
            beiModal<QMessageBox>(melden);
        }
        f.Beenden3->trigger();
        EXPECT_FALSE(f.isVisible()) << ordnerAngelegt;
        EXPECT_EQ(meldungen, ordnerAngelegt ? 1 : 2);
        if (ordnerAngelegt) {
            EXPECT_EQ(gespeichert(unmoeglich).stufe, 3);
        }
    }
}

} // namespace
