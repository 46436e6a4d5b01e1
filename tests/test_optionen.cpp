// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"
#include "qtanwendung.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

class OptionenTest : public ::testing::Test {
protected:
    QLineEdit* edit(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QPushButton* knopf(const char* name) { return dialog.findChild<QPushButton*>(name); }

    // Runs optionenAbfragen and plays `schritte` inside its modal loop. A dialog that
    // the steps fail to end is ended after a while, so a fault cannot hang the test.
    bool abfragen(const std::function<void()>& schritte) {
        QTimer::singleShot(0, &dialog, schritte);
        QTimer notbremse;
        notbremse.setSingleShot(true);
        QObject::connect(&notbremse, &QTimer::timeout, &dialog, [this] {
            haengen = true;
            dialog.done(0);
        });
        notbremse.start(5000);
        return dialog.optionenAbfragen(breite, hoehe, minen);
    }

    QApplication& anwendung = qtAnwendung();
    Toptionen dialog;
    int32_t breite = 16, hoehe = 12, minen = 40;
    bool haengen = false;
};

TEST_F(OptionenTest, FormMatchesItsLayout) {
    EXPECT_EQ(dialog.windowTitle(), QString("Benutzerdefiniertes Spielfeld"));
    EXPECT_EQ(dialog.size(), QSize(306, 134));
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(), QString("&Höhe:"));
    EXPECT_EQ(dialog.findChild<QLabel*>("Label2")->text(), QString("&Breite:"));
    EXPECT_EQ(dialog.findChild<QLabel*>("Label3")->text(), QString("&Minen:"));
    EXPECT_EQ(knopf("Button1")->text(), QString("OK"));
    EXPECT_EQ(knopf("Button2")->text(), QString("Abbrechen"));
    EXPECT_EQ(edit("Edit3")->geometry(), QRect(99, 13, 80, 24));
    for (const char* n : {"Edit1", "Edit2", "Edit3"}) EXPECT_EQ(edit(n)->maxLength(), 5) << n;
    EXPECT_TRUE(dialog.font().bold());

    // Tab order: OK, Abbrechen, height, width, mines, and round again.
    QWidget* w = knopf("Button1");
    const std::vector<QWidget*> folge = {knopf("Button2"), edit("Edit3"), edit("Edit2"),
                                         edit("Edit1"), knopf("Button1")};
    for (QWidget* erwartet : folge) {
        w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
        EXPECT_EQ(w, erwartet) << w->objectName().toStdString();
    }
}

TEST_F(OptionenTest, OkReplacesAllThreeWithWhatWasEntered) {
    const bool ok = abfragen([this] {
        EXPECT_EQ(edit("Edit3")->text(), QString("12"));
        EXPECT_EQ(edit("Edit2")->text(), QString("16"));
        EXPECT_EQ(edit("Edit1")->text(), QString("40"));
        edit("Edit3")->setText("5");
        edit("Edit2")->setText("100");
        edit("Edit1")->setText("3");
        QTest::mouseClick(knopf("Button1"), Qt::LeftButton);
    });
    EXPECT_FALSE(haengen);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(dialog.geschlossen);
    EXPECT_TRUE(dialog.bestaetigt);
    EXPECT_EQ(hoehe, 5);
    EXPECT_EQ(breite, 100);
    EXPECT_EQ(minen, 3);
}

TEST_F(OptionenTest, AbbrechenAndTheCloseBoxChangeNothing) {
    for (bool schliessfeld : {false, true}) {
        const bool ok = abfragen([this, schliessfeld] {
            edit("Edit1")->setText("99");
            if (schliessfeld)
                dialog.close();
            else
                QTest::mouseClick(knopf("Button2"), Qt::LeftButton);
        });
        EXPECT_FALSE(haengen);
        EXPECT_FALSE(ok) << schliessfeld;
        EXPECT_TRUE(dialog.geschlossen);
        EXPECT_FALSE(dialog.bestaetigt);
        EXPECT_EQ(minen, 40);
    }
}

TEST_F(OptionenTest, AnEmptyFieldCancelsTheWholeDialog) {
    const bool ok = abfragen([this] {
        edit("Edit3")->setText("12");
        edit("Edit2")->clear();
        edit("Edit1")->setText("20");
        QTest::mouseClick(knopf("Button1"), Qt::LeftButton);
    });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(dialog.geschlossen);
    EXPECT_FALSE(dialog.bestaetigt);
    EXPECT_EQ(breite, 16);
    EXPECT_EQ(hoehe, 12);
    EXPECT_EQ(minen, 40);
}

TEST_F(OptionenTest, EnterAcceptsAndEscapeCancelsOnEveryControl) {
    for (const char* name : {"Button1", "Button2", "Edit3", "Edit2", "Edit1"}) {
        for (Qt::Key taste : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            breite = 16;
            const bool ok = abfragen([this, name, taste] {
                edit("Edit2")->setText("20");
                QWidget* w = dialog.findChild<QWidget*>(name);
                w->setFocus();
                QTest::keyClick(w, taste);
            });
            EXPECT_FALSE(haengen) << name;
            const bool annehmen = taste != Qt::Key_Escape;
            EXPECT_EQ(ok, annehmen) << name << " " << taste;
            EXPECT_EQ(breite, annehmen ? 20 : 16) << name;
            EXPECT_TRUE(dialog.geschlossen);
        }
    }
}

TEST_F(OptionenTest, EditsKeepOnlyDigits) {
    dialog.show();
    QLineEdit* e = edit("Edit1");
    e->setText("40");
    e->setFocus();
    e->end(false);
    QTest::keyClicks(e, "x");
    EXPECT_EQ(e->text(), QString("40"));
    QTest::keyClicks(e, "7");
    EXPECT_EQ(e->text(), QString("407"));

    // Pasted or set text loses every non-digit, wherever it stands, and the caret
    // stays behind what was typed.
    e->setText("1ä -ß");
    EXPECT_EQ(e->text(), QString("1"));
    e->setText("x1y2z");
    EXPECT_EQ(e->text(), QString("12"));
    e->setText("99");
    e->setCursorPosition(1);
    e->insert("x5");
    EXPECT_EQ(e->text(), QString("959"));
    EXPECT_EQ(e->cursorPosition(), 2);

    e->setText("123456789");
    EXPECT_EQ(e->text(), QString("12345"));
    dialog.hide();
}

TEST_F(OptionenTest, SmallLettersMoveTheFocusAndAreDropped) {
    dialog.show();
    edit("Edit1")->setText("40");
    edit("Edit2")->setText("16");
    edit("Edit3")->setText("12");

    edit("Edit1")->setFocus();
    QTest::keyClicks(edit("Edit1"), "h");
    EXPECT_EQ(dialog.focusWidget(), edit("Edit3"));
    EXPECT_EQ(edit("Edit1")->text(), QString("40"));
    EXPECT_EQ(edit("Edit3")->text(), QString("12"));

    QTest::keyClicks(edit("Edit3"), "b");
    EXPECT_EQ(dialog.focusWidget(), edit("Edit2"));
    knopf("Button2")->setFocus();
    QTest::keyClicks(knopf("Button2"), "m");
    EXPECT_EQ(dialog.focusWidget(), edit("Edit1"));

    // Capitals do not move the focus.
    QTest::keyClicks(edit("Edit1"), "H");
    EXPECT_EQ(dialog.focusWidget(), edit("Edit1"));
    EXPECT_EQ(edit("Edit1")->text(), QString("40"));
    dialog.hide();
}

TEST_F(OptionenTest, EveryOpeningStartsOnOkAndAltWithALetterMovesNothing) {
    for (int oeffnung = 0; oeffnung < 2; ++oeffnung) {
        const bool ok = abfragen([this] {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            EXPECT_EQ(QApplication::focusWidget(), knopf("Button1"));
            // Digits typed at once go nowhere: the height stays as it was.
            QTest::keyClicks(QApplication::focusWidget(), "20");
            for (Qt::Key taste : {Qt::Key_B, Qt::Key_H, Qt::Key_M})
                QTest::keyClick(QApplication::focusWidget(), taste, Qt::AltModifier);
            EXPECT_EQ(QApplication::focusWidget(), knopf("Button1"));
            // The plain letter does move it; the next opening starts on OK again.
            QTest::keyClicks(QApplication::focusWidget(), "m");
            EXPECT_EQ(QApplication::focusWidget(), edit("Edit1"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        EXPECT_FALSE(haengen);
        EXPECT_TRUE(ok);
        EXPECT_EQ(hoehe, 12);
        EXPECT_EQ(breite, 16);
        EXPECT_EQ(minen, 40);
    }
}

TEST_F(OptionenTest, ReopeningShowsTheNewValues) {
    abfragen([this] { QTest::mouseClick(knopf("Button1"), Qt::LeftButton); });
    breite = 30;
    hoehe = 16;
    minen = 99;
    const bool ok = abfragen([this] {
        EXPECT_EQ(edit("Edit2")->text(), QString("30"));
        EXPECT_EQ(edit("Edit3")->text(), QString("16"));
        EXPECT_EQ(edit("Edit1")->text(), QString("99"));
        dialog.reject();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(dialog.pos(), QPoint(161, 130));
}

} // namespace
