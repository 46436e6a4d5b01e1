// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "spiel.h"

// Writing access to a game's state, for tests and benchmarks that build states no game
// reaches: a hand-drawn board, a finished game without its clicks, counters at their
// limits. Reading goes through the game's own views, as everywhere else. Whatever it
// writes counts as a change of the board, when it is taken and when it is let go.
struct TSpielZugang {
    explicit TSpielZugang(TSpiel& s)
        : spiel(s), feld(s.feld_), breite(s.breite_), hoehe(s.hoehe_), spielstufe(s.spielstufe_),
          spielEnde(s.spielEnde_), gewonnen(s.gewonnen_), neuerRekord(s.neuerRekord_),
          startZeit(s.startZeit_) {
        ++s.aenderungen_;
    }
    ~TSpielZugang() { ++spiel.aenderungen_; }
    TSpielZugang(const TSpielZugang&) = delete;
    TSpielZugang& operator=(const TSpielZugang&) = delete;

    TSpiel& spiel;
    Tspielfeld& feld;
    int32_t& breite;
    int32_t& hoehe;
    int32_t& spielstufe;
    bool& spielEnde;
    bool& gewonnen;
    bool& neuerRekord;
    double& startZeit;

    void nachbarPlus(int32_t x, int32_t y) { spiel.nachbarPlus(x, y); }
    void nachbarMinus(int32_t x, int32_t y) { spiel.nachbarMinus(x, y); }
};
