#pragma once
#include "spielfeld.h"
#include <cstdint>
#include <vector>

class TUhr;
class TZufall;
struct TEinstellungen;

// The game: the board, the size and level, and the state of the game on it.
// The main window owns one; tests make as many as they like.
class TSpiel {
public:
    // The generator lays the mines, the clock times the game, and the record's best
    // times decide whether a win is a new record. All three must outlive the game.
    TSpiel(TZufall& zufall, const TUhr& uhr, const TEinstellungen& einstellungen);

    Tspielfeld feld{};
    int32_t breite = 0;
    int32_t hoehe = 0;
    int32_t spielstufe = 0;
    bool spielEnde = false;
    bool gewonnen = false;
    bool neuerRekord = false;
    double startZeit = 0; // days
    double endZeit = 0;   // span in days
    double letzteZeit = 0;
    // The marks option "&Merker (?)": a flag taken away becomes a question mark.
    bool merker = false;

    // Queries and counting on the current board size.
    bool imFeld(int32_t x, int32_t y) const;
    void nachbarPlus(int32_t x, int32_t y);
    void nachbarMinus(int32_t x, int32_t y);
    bool istGeflaggt(int32_t x, int32_t y) const;
    int32_t flaggenZaehlen(int32_t x, int32_t y) const;

    // Board rules.
    void feldGroesse(int32_t b, int32_t h, int32_t n);
    void feldAnlegen(int32_t n);
    void aufdecken(int32_t x, int32_t y);
    void aufdeckenFrei(int32_t x, int32_t y);
    void umgebungAufdecken(int32_t x, int32_t y);
    // The marking rule on a covered cell of a running or laid game; elsewhere it does nothing.
    void markieren(int32_t x, int32_t y);

    // A new board of the current size with the current mine count.
    void neuesSpiel() { feldAnlegen(feld.minen); }

    // The clock part of the frame tick: a clock stepped back lays a new board, letzteZeit
    // takes the reading, and the result is the seconds to show, at most 999.
    int32_t taktSekunden();

    TZufall& zufall() { return zufall_; }
    const TUhr& uhr() const { return uhr_; }

private:
    // Steps 1 to 5 of aufdecken on one cell; true when it was opened with no mine around
    // it, so that the flood goes on from there.
    bool einzelnAufdecken(int32_t x, int32_t y);
    // Draws column, then row, until the cell holds no mine, and lays one there.
    void mineZufaelligLegen();

    // One cell of the flood whose neighbours are being visited, and the next one to visit.
    struct TFlutSchritt {
        int32_t x;
        int32_t y;
        int32_t naechster;
    };

    TZufall& zufall_;
    const TUhr& uhr_;
    const TEinstellungen& einstellungen_;
    // The flood's explicit stack: every cell on it was opened by the flood, so it never
    // holds more than the board has cells. Sized once, here, not per click.
    std::vector<TFlutSchritt> flut_;
};
