// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// zundel-liga entries, remove, ban, unban, approve and reject: an operator's commands on
// the league's database, beside the servers that run on it.
#pragma once
#include "store.h"

#include <ostream>
#include <string>
#include <string_view>

namespace liga {

// The usage lines of the commands.
std::string operatorUsage();

bool isOperatorCommand(std::string_view word);

// argv[1] is the command. Writes what it did to `out`, what failed to `err`; returns the
// exit status: 0 done, 1 something named was not there or the database failed, 2 usage.
int runOperatorCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

// One entry as `entries` lists it: code, name, level, time and when it came (as the page
// shows them), and its state.
std::string entryLine(const EntryRow& entry);

} // namespace liga
