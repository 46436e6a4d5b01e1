// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TnamenEingeben;
}
class QLabel;
class QLineEdit;

// Asks the holder of a new best time for a name. Admits only the characters of a name,
// refuses to close below 6 of them and hands the name back padded to 15 characters.
// One dialog per new best time: the caller sets Label2, shows it and reads Edit1.
class TnamenEingeben final : public QDialog {
    Q_OBJECT

public:
    explicit TnamenEingeben(QWidget* parent = nullptr);
    ~TnamenEingeben() override;

    // The level line the caller fills in, and the name field it reads back.
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;

    // True for the 75 characters a name may hold: digits, A-Z, a-z and ! # ( ) , - . / = ? [ ] _
    static bool zeichenErlaubt(QChar c);

    void Button1Click();
    // Filters the name after a key release and puts the caret at the end.
    void Edit1KeyUp();

    // Escape has nothing to cancel: there is no cancel button.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Refuses a name below 6 characters, else pads it with blanks to 15.
    bool FormClose();
    void Edit1Edited();

    std::unique_ptr<Ui::TnamenEingeben> ui;
};
