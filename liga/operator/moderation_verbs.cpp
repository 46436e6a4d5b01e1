// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "moderation_verbs.h"

#include <array>

namespace liga {

namespace {

constexpr std::array<ModerationVerb, 6> verbs{{
    {Moderation::remove, "remove", "CODE...", true,
     "takes entries out; each name keeps its best remaining time"},
    {Moderation::ban, "ban", "NAME", false,
     "a barred name leaves every board and may send no more; its entries stay"},
    {Moderation::unban, "unban", "NAME", false, "lifts the bar: the name's times come back"},
    {Moderation::approve, "approve", "CODE...", true, "ranks a held entry"},
    {Moderation::reject, "reject", "CODE...", true, "keeps a held entry off the boards for good"},
    {Moderation::hold, "hold", "CODE...", true,
     "puts a ranked entry back on hold, off the boards until approved"},
}};

} // namespace

std::span<const ModerationVerb> moderationVerbs() {
    return verbs;
}

const ModerationVerb* verbNamed(std::string_view name) {
    for (const ModerationVerb& v : verbs)
        if (v.name == name) return &v;
    return nullptr;
}

std::string_view moderationName(Moderation what) {
    for (const ModerationVerb& v : verbs)
        if (v.what == what) return v.name;
    return "change";
}

std::string verbSynopsis() {
    std::string text;
    for (const ModerationVerb& v : verbs)
        text += "  zundel-liga " + std::string(v.name) + " [--db PATH|URI] " +
                std::string(v.subject) + "\n";
    return text;
}

std::string verbHelp() {
    std::string text;
    for (const ModerationVerb& v : verbs) {
        std::string name(v.name);
        name.resize(16, ' ');
        text += "  " + name + std::string(v.help) + "\n";
    }
    return text;
}

} // namespace liga
