// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <memory>

namespace Ui {
class TAboutBox;
}

// The about box: names the game, links to the author and the league, and shows the
// computer's total physical memory and memory load, taken once when it is created.
class TAboutBox final : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* autorAdresse = "autor@zundelfeld.example";

    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    void Label6Click();
    void Label7Click();
    void OKButtonClick();

    // "524.288 KB" for 512 MiB under a German locale: whole kilobytes, rounded.
    static QString physMemText(uint64_t bytes, const QLocale& locale = QLocale());
    // "37 %".
    static QString lastText(int32_t prozent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();

    std::unique_ptr<Ui::TAboutBox> ui;
};
