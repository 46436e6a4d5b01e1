// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// zundel-liga entries, remove, ban, unban, approve, reject and hold: an operator's
// commands on the league's database, beside the servers that run on it.
#pragma once
#include "store.h"

#include <ostream>
#include <string>
#include <string_view>

namespace liga {

// The usage lines of the commands.
std::string operatorUsage();

bool isOperatorCommand(std::string_view word);

// argv[1] is the command. Writes what it did to `out`, what it did not and why to `err`;
// returns the exit status: 0 changed, or nothing to change (already so, or a listing);
// 1 refused (a code that no entry has, an entry in a state the command does not change, a
// name the game cannot send, a database that holds no league or cannot be reached);
// 2 a command line that cannot be read. --help writes the usage to `out` and returns 0.
int runOperatorCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

// One entry as `entries` lists it: code, name, level, time and when it came (as the page
// shows them), and its state.
std::string entryLine(const EntryRow& entry);

} // namespace liga
