// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds outside bytes to the picture loader, both as a packed picture and as a file.
#include "dib.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    for (bool datei : {false, true}) {
        try {
            Surface s = datei ? LoadBitmapFile(bytes) : LoadDIB(bytes);
            if (s.width() <= 0 || s.height() <= 0 || s.width() > dibMaxSide ||
                s.height() > dibMaxSide)
                __builtin_trap(); // an accepted picture always has a sane size
            volatile uint32_t ecke = s.pixel(s.width() - 1, s.height() - 1);
            (void)ecke;
        } catch (const EInvalidGraphic&) {
        }
    }
    return 0;
}
