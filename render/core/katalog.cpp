// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "katalog.h"

#include <cstdio>

std::string spriteDateiname(int32_t index) {
    if (index < 0 || index >= spriteAnzahl) return {};
    // The item's name without blanks; the nameless digits are "ziffer" and the digit.
    std::string teil;
    for (const char* c = spriteKatalog[static_cast<std::size_t>(index)].name; *c != 0; ++c)
        if (*c != ' ') teil += *c;
    if (teil.empty()) teil = "ziffer" + std::to_string(index - spriteZiffer0);
    char nummer[4];
    std::snprintf(nummer, sizeof nummer, "%02d", static_cast<int>(index));
    return std::string(nummer) + "_" + teil + ".bmp";
}
