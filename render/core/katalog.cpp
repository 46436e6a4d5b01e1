// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "katalog.h"

#include <cstdio>

namespace {

// The file names' part after the index: the item's name without blanks, and
// "ziffer" plus the digit for the nameless digits.
constexpr const char* dateiTeil[spriteAnzahl] = {
    "ziffer0",   "ziffer1",   "ziffer2", "ziffer3",   "ziffer4",  "ziffer5",    "ziffer6",
    "ziffer7",   "ziffer8",   "ziffer9", "graueMine", "grauHoch", "roteMine",   "flagge",
    "frageHoch", "frageTief", "lo",      "mo",        "ro",       "li",         "re",
    "lu",        "mu",        "ru",      "anz",       "smile1",   "smile2",     "smile3",
    "smile4",    "smile5",    "minus",   "null",      "eins",     "zwei",       "drei",
    "vier",      "fuenf",     "sechs",   "sieben",    "acht",     "rotesKreuz", "wahnsinn",
    "wahn2",
};

} // namespace

std::string spriteDateiname(int32_t index) {
    if (index < 0 || index >= spriteAnzahl) return {};
    char nummer[4];
    std::snprintf(nummer, sizeof nummer, "%02d", static_cast<int>(index));
    return std::string(nummer) + "_" + dateiTeil[index] + ".bmp";
}
