// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "bestzeit.h"
#include "httpcli.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class Thighscore;
}
class TDXTimer;
class TUhr;
class TZufall;

// The best-times dialog: shows the five best times, clears them, and right after a new
// best time offers its one transfer to the league. Works on copies handed in with
// werteGeben and taken back with werteHolen; every opening uses a fresh dialog.
// The frame timer handed in fires no ticks while the transfer waits for its answer.
// The controls keep the form's names: Label1..5 the level names, Label6..10 their times,
// Label11..15 their holders; the group box "anmelden" is the league transfer, with
// Label18..20 the level, time and name on offer and Button4 "übertragen"; Memo1, hidden,
// takes the answer's lines.
class Thighscore final : public QDialog {
    Q_OBJECT

public:
    using TEintraege = TBestzeiten;

    explicit Thighscore(QWidget* parent = nullptr, TDXTimer* rahmenTakt = nullptr);
    ~Thighscore() override;

    // Loads the copies, re-seeds the generator from the time of day and sets up the
    // transfer group: offered when neuerEintrag has a time above 0, closed otherwise.
    // The generator must outlive the dialog; the league code draws from it.
    void werteGeben(const TEintraege& eintraege, const Tbestzeit& neuerEintrag, int32_t stufe,
                    TZufall& zufall, const TUhr& uhr);
    // Fills the ten labels of the list from eintraege.
    void werteAnzeigen();
    // Hands the (possibly cleared) entries back.
    void werteHolen(TEintraege& eintraege) const;

    void Button1Click(); // "OK": closes the dialog
    void Button2Click(); // "Bestzeiten &löschen": sets every time to 0, names stay
    // The league transfer: one GET with the code of neuerEintrag, the answer's first
    // line or an error text in a message box. Disables "übertragen" for good.
    void Button4Click();

    // "12,3 Sekunden" for 123 tenths.
    static QString zeitText(int32_t zeit);
    // Points the transfer at another server than the one built in, "host" or "host:port".
    void ligaHostSetzen(std::string host) { zielHost = std::move(host); }

    TEintraege eintraege{};
    Tbestzeit neuerEintrag;
    int32_t neueStufe = 0;
    std::string uebertragungsURL;

    THttpCli HttpCli1;

protected:
    // FormKeyDown and FormKeyPress: keys that reach the dialog itself.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void schliessen();
    void antwortZeigen(const QString& text);

    std::unique_ptr<Ui::Thighscore> ui;
    TZufall* zufall = nullptr;
    TDXTimer* rahmenTakt;
    std::string zielHost; // where the transfer goes
    bool uebertragungLaeuft = false;
    bool schliessenDanach = false;
};
