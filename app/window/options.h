// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <cstdint>
#include <memory>

namespace Ui {
class Toptionen;
}
class QLineEdit;

// The custom field dialog: asks for height, width and mines. Created once at start-up
// and reused; every opening overwrites the three texts.
class Toptionen final : public QDialog {
    Q_OBJECT

public:
    explicit Toptionen(QWidget* parent = nullptr);
    ~Toptionen() override;

    // Shows the dialog modally, filled with the three values. True after OK with all
    // three replaced by what was entered; false otherwise (Abbrechen, Escape, the close
    // box, or an empty field) with all three unchanged.
    bool optionenAbfragen(int32_t& breite, int32_t& hoehe, int32_t& minen);

    // Set by every way of ending the dialog; bestaetigt only by OK.
    bool geschlossen = false;
    bool bestaetigt = false;

    // The edits stand in the dialog as height (Edit3), width (Edit2), mines (Edit1); each
    // change handler keeps its own edit to digits.
    void Edit1Change();  // mines
    void Edit2Change();  // width
    void Edit3Change();  // height
    void Button1Click(); // "OK"
    void Button2Click(); // "Abbrechen"

    // The close box and the system menu end the dialog like "Abbrechen".
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Key-down handler of all five controls, not of the height edit alone (the name is the
    // form's): Enter acts as OK, Escape as Abbrechen, whichever control has the focus.
    bool Edit3KeyDown(QKeyEvent* event);
    // "b", "h" and "m" move the focus to width, height and mines; the key goes on.
    void FormKeyPress(QKeyEvent* event);
    static void nurZiffern(QLineEdit* edit);

    std::unique_ptr<Ui::Toptionen> ui;
    bool schonGezeigt = false;
};
