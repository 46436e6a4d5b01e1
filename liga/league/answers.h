// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "ligacode.h"
#include "store.h"

#include <cstddef>
#include <string>

namespace liga {

// The answers' lines, UTF-8. The game shows the first line of an answer and nothing else.
// None tells the player to send again: the game sends each best time once.

// "Platz 3 von 17 in der Spielstufe Profis.", led by a note when the code came before;
// for a held entry that it waits for review, for a rejected one or a barred name a refusal.
std::string placementLine(const Placement& placement, int32_t level);
// What the league read: "Zundelmeister, 8,7 Sekunden."
std::string readBackLine(const std::string& name, int32_t tenths);
// Why a code was not entered.
std::string refusalLine(TCodeBefund befund);
std::string rateLimitedLine();
std::string storeFailedLine();
// For a valid code that waits in the spool until the league can store it.
std::string spooledLine();
// For one the spool cannot take: `waiting` codes of its client wait already, or the
// spool is full.
std::string clientSpoolFullLine(std::size_t waiting);
std::string spoolFullLine();

} // namespace liga
