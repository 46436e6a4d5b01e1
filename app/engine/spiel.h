// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "bestzeit.h"
#include "spielfeld.h"
#include <cstdint>
#include <vector>

class TUhr;
class TZufall;

// The game: the board, the size and level, and the state of the game on it.
// The main window owns one; tests make as many as they like.
//
// The rules keep the board and the game state consistent (counts, flags, uncovered
// cells, the end of a game and its record), so only the engine writes them: they are
// private, and the public members of the same names are read-only views of them. Reading
// stays as direct as with plain fields (spiel.feld.minen, spiel.spielEnde); the window
// changes a game only through the operations below.
class TSpiel final {
public:
    // The generator lays the mines, the clock times the game, and the best times of the
    // fixed levels decide whether a win is a new record. All three must outlive the game.
    TSpiel(TZufall& zufall, const TUhr& uhr, const TBestzeiten& bestzeiten);
    // The views refer to this object's own fields, so a copy would read another game.
    TSpiel(const TSpiel&) = delete;
    TSpiel& operator=(const TSpiel&) = delete;

private:
    Tspielfeld feld_{};
    int32_t breite_ = 0;
    int32_t hoehe_ = 0;
    int32_t spielstufe_ = 0;
    bool spielEnde_ = false;
    bool gewonnen_ = false;
    bool neuerRekord_ = false;
    double startZeit_ = 0; // days
    double endZeit_ = 0;   // span in days
    double letzteZeit_ = 0;
    uint64_t aenderungen_ = 0;

public:
    const Tspielfeld& feld = feld_;
    const int32_t& breite = breite_;
    const int32_t& hoehe = hoehe_;
    const int32_t& spielstufe = spielstufe_;
    const bool& spielEnde = spielEnde_;
    const bool& gewonnen = gewonnen_;
    const bool& neuerRekord = neuerRekord_;
    const double& startZeit = startZeit_;
    const double& endZeit = endZeit_;
    const double& letzteZeit = letzteZeit_;
    // Advanced by every operation below that may change the board or the game's state:
    // while it stands still, so do the cells, the counters and the game's state.
    const uint64_t& aenderungen = aenderungen_;

    // The marks option "&Merker (?)": a flag taken away becomes a question mark. A
    // setting of the player's, not game state: the window writes it. This is its one
    // home; the menu's check mark shows it, and the settings file stores it at closing.
    bool merker = false;

    // ---- Board rules (regeln.cpp) --------------------------------------------------
    // Queries on the current board size.
    bool imFeld(int32_t x, int32_t y) const;
    bool istGeflaggt(int32_t x, int32_t y) const;
    int32_t flaggenZaehlen(int32_t x, int32_t y) const;

    // The operations that change the board. Every change to the cells and their counts
    // goes through one of these, or through neuesSpiel, stufeAnlegen and takt below,
    // which lay a board with feldAnlegen.
    void feldGroesse(int32_t b, int32_t h, int32_t n);
    void feldAnlegen(int32_t n);
    void aufdecken(int32_t x, int32_t y);
    void aufdeckenFrei(int32_t x, int32_t y);
    void umgebungAufdecken(int32_t x, int32_t y);
    // The marking rule on a covered cell of a running or laid game; elsewhere it does nothing.
    void markieren(int32_t x, int32_t y);

    // ---- Game flow (spielablauf.cpp) ----------------------------------------------
    // A new board of the current size with the current mine count.
    void neuesSpiel() { feldAnlegen(feld_.minen); }

    // A level chosen or restored: its number, the board size (clamped as feldGroesse
    // does) and a new board with n mines. Level, size and mine count change only together.
    void stufeAnlegen(int32_t stufe, int32_t b, int32_t h, int32_t n);

    // Start-up is done: the laid board waits for its first click, no new record is on
    // offer, and the frame tick's clock counts from now.
    void spielBereit();

    // The frame tick has taken over the new record for the name entry.
    void rekordGemeldet() { neuerRekord_ = false; }

    // The game's step of each frame tick (uhrzurueckgestellt.cpp): a clock set back since
    // the last tick lays a new board, whatever the game's state; then letzteZeit takes the
    // reading.
    void takt();
    // The seconds the clock shows: 0 before the first uncover, frozen once the game is
    // over, at most 999.
    int32_t uhrSekunden() const;

private:
    // Tests and benchmarks build states that no game reaches (a hand-drawn board,
    // counters at their limits) through this door; the game itself never uses it.
    friend struct TSpielZugang;

    // Board rules. Counting on the current board size: laying or moving a mine.
    void nachbarPlus(int32_t x, int32_t y);
    void nachbarMinus(int32_t x, int32_t y);
    // Draws column, then row, until the cell holds no mine, and lays one there.
    void mineZufaelligLegen();
    // The rescue of the first click: the mine at (x, y) moves to a random mine-free cell.
    void mineVerlegen(int32_t x, int32_t y);
    // Uncovers one cell: nothing on a cell off the board or already open; on the first
    // click a mine moves away first; a mine ends the game lost; otherwise the cell opens,
    // the first opening starts the clock, and the last mine-free cell wins the game. True
    // when the cell opened with no mine around it, so that the flood goes on from there.
    bool einzelnAufdecken(int32_t x, int32_t y);

    // Game flow. The clock starts at the first uncover and stops when the game ends; a
    // win on a fixed level that beats its best time sets neuerRekord.
    void uhrStarten();
    void uhrAnhalten();
    void spielVerloren(int32_t x, int32_t y);
    void spielGewonnen();

    // One cell of the flood whose neighbours are being visited, and the next one to visit.
    struct TFlutSchritt {
        int32_t x;
        int32_t y;
        int32_t naechster;
    };

    TZufall& zufall_;
    const TUhr& uhr_;
    const TBestzeiten& bestzeiten_;
    // The flood's explicit stack: every cell on it was opened by the flood, so it never
    // holds more than the board has cells. Sized once, here, not per click.
    std::vector<TFlutSchritt> flut_;
};
