// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The operator's moderation verbs, one row each: the command line, its usage text and the
// log of changes all read them from here.
#pragma once
#include "store.h"

#include <span>
#include <string>
#include <string_view>

namespace liga {

struct ModerationVerb {
    Moderation what;
    std::string_view name;    // as the command line and the log name it
    std::string_view subject; // "CODE..." or "NAME"
    bool manySubjects;        // several codes in one command, or exactly one name
    std::string_view help;    // one line of the usage text
};

std::span<const ModerationVerb> moderationVerbs();
// The verb the command line names; none for another word.
const ModerationVerb* verbNamed(std::string_view name);
// "ban", "remove", ...; "change" for a change this program does not know (one a newer
// version logged).
std::string_view moderationName(Moderation what);

// The verbs' synopsis lines and, apart, a line saying what each does, indented as the
// rest of the usage text.
std::string verbSynopsis();
std::string verbHelp();

} // namespace liga
