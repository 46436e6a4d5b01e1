// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <span>

// One file compiled into the program (generated from assets/ at build time).
struct TEingebetteteDatei {
    const char* name; // file name without directory, e.g. "16_lo.bmp"
    std::span<const uint8_t> daten;
};

// All embedded files, ending with an entry whose name is null.
extern const TEingebetteteDatei eingebetteteDateien[];
