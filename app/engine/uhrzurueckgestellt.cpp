// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What happens when the clock is set back. The game's times are differences of the local
// date and time, so a clock set back (by hand, or at the end of summer time) would give a
// running game a time below its start. The frame tick therefore lays a new board when it
// finds the clock behind its reading of the tick before, whatever the game's state; a
// clock put forward only makes a running clock jump. The frame timer's own clock is a
// steady one, which nobody sets.
#include "spiel.h"
#include "uhr.h"

void TSpiel::takt() {
    // Also when the reading is not a number: such a clock is no clock to time a game by.
    if (!(uhr_.jetzt() >= letzteZeit_)) neuesSpiel();
    letzteZeit_ = uhr_.jetzt();
}
