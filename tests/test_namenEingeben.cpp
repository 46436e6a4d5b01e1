// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "namenEingeben.h"
#include "qtanwendung.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class NamenTest : public ::testing::Test {
protected:
    NamenTest() { dialog.show(); }

    QLineEdit* edit() { return dialog.Edit1; }
    // Types each character as a press and a release, umlauts included.
    void tippen(const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(edit(), static_cast<char>(c.unicode()));
            } else {
                QTest::sendKeyEvent(QTest::Press, edit(), Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, edit(), Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
            }
        }
    }

    QApplication& anwendung = qtAnwendung();
    TnamenEingeben dialog;
};

TEST_F(NamenTest, OpensWithUnbekanntSelected) {
    EXPECT_EQ(dialog.windowTitle(), QString("Gratulation"));
    EXPECT_EQ(dialog.size(), QSize(270, 160));
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(),
              QString("Sie haben eine neue Bestzeit in der "));
    EXPECT_EQ(dialog.findChild<QLabel*>("Label3")->text(), QString("Geben Sie Ihren Namen ein: "));
    EXPECT_EQ(edit()->maxLength(), 15);
    EXPECT_EQ(dialog.focusWidget(), edit());
    EXPECT_EQ(edit()->selectedText(), QString("Unbekannt"));

    // The first typed character replaces the whole text.
    tippen("Z");
    EXPECT_EQ(edit()->text(), QString("Z"));
}

TEST_F(NamenTest, EnterAtOnceHandsBackUnbekanntPadded) {
    QTest::keyClick(edit(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(edit()->text(), QString("Unbekannt      "));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(NamenTest, ForbiddenCharactersVanishAsTheirKeyIsReleased) {
    edit()->clear();
    tippen(QString("Jörg Meißner"));
    EXPECT_EQ(edit()->text(), QString("JrgMeiner"));

    edit()->clear();
    tippen(QString("A-Z_(1).[2]=?!#/,"));
    EXPECT_EQ(edit()->text(), QString("A-Z_(1).[2]=?!#"));
    EXPECT_EQ(edit()->text().size(), 15);
}

TEST_F(NamenTest, APastedRunOfForbiddenCharactersGoesAtTheNextRelease) {
    edit()->setText("Anna");
    edit()->setCursorPosition(2);
    edit()->insert(QString("  äöü§$%  "));
    QTest::keyRelease(edit(), Qt::Key_Control);
    EXPECT_EQ(edit()->text(), QString("Anna"));
    EXPECT_EQ(edit()->cursorPosition(), 4);
    EXPECT_FALSE(edit()->hasSelectedText());

    // Even before a key is released, an edit by the player never keeps one.
    edit()->setCursorPosition(2);
    QTest::sendKeyEvent(QTest::Press, edit(), Qt::Key_unknown, QString(u'ß'), Qt::NoModifier);
    EXPECT_EQ(edit()->text(), QString("Anna"));
    EXPECT_EQ(edit()->cursorPosition(), 2);
}

TEST_F(NamenTest, TheCaretGoesBackToTheEndAfterEveryKey) {
    edit()->setText("Berta");
    QTest::keyClick(edit(), Qt::Key_Home);
    EXPECT_EQ(edit()->cursorPosition(), 5);
    QTest::keyClick(edit(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_FALSE(edit()->hasSelectedText());
    tippen("X");
    EXPECT_EQ(edit()->text(), QString("BertaX"));
}

TEST_F(NamenTest, BelowSixCharactersNoWayOfClosingWorks) {
    enum Weg { ok, enter, enterAufOk, schliessfeld };
    for (Weg weg : {ok, enter, enterAufOk, schliessfeld}) {
        for (const QString& name : {QString("Abcd"), QString("Abcde"), QString("Abcdef")}) {
            TnamenEingeben d;
            d.show();
            d.Edit1->setText(name);
            switch (weg) {
            case ok:
                QTest::mouseClick(d.findChild<QPushButton*>("Button1"), Qt::LeftButton);
                break;
            case enter:
                QTest::keyClick(d.Edit1, Qt::Key_Return);
                break;
            case enterAufOk:
                d.findChild<QPushButton*>("Button1")->setFocus();
                QTest::keyClick(d.findChild<QPushButton*>("Button1"), Qt::Key_Enter);
                break;
            case schliessfeld:
                d.close();
                break;
            }
            const bool zu = name.size() >= 6;
            EXPECT_EQ(d.isVisible(), !zu) << weg << " " << name.toStdString();
            EXPECT_EQ(d.Edit1->text(), zu ? name.leftJustified(15, u' ') : name);
        }
    }
}

TEST_F(NamenTest, EscapeDoesNotClose) {
    QTest::keyClick(edit(), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(NamenTest, AFullNameComesBackUnchanged) {
    edit()->clear();
    tippen("ABCDEFGHIJKLMNOP");
    EXPECT_EQ(edit()->text(), QString("ABCDEFGHIJKLMNO"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(edit()->text(), QString("ABCDEFGHIJKLMNO"));
}

TEST(NamenModal, RunsModallyForTheCaller) {
    qtAnwendung();
    TnamenEingeben d;
    d.Label2->setText("Spielstufe Wahnsinn erzielt. ");
    QTimer::singleShot(0, &d, [&d] {
        QTest::keyClicks(d.Edit1, "Hans Wurst");
        QTest::keyClick(d.Edit1, Qt::Key_Enter);
    });
    QTimer::singleShot(5000, &d, [&d] { d.done(QDialog::Rejected); });
    EXPECT_EQ(d.exec(), QDialog::Accepted);
    EXPECT_EQ(d.Edit1->text(), QString("HansWurst      "));
    EXPECT_EQ(d.Label2->text(), QString("Spielstufe Wahnsinn erzielt. "));
}

} // namespace
