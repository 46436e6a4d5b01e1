// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "surface.h"
#include <cstdint>
#include <span>
#include <stdexcept>

// Raised for every picture the loader cannot take.
class EInvalidGraphic final : public std::runtime_error {
public:
    EInvalidGraphic() : std::runtime_error("DIB is invalid") {}
};

// Largest picture the loader accepts, per side and in pixels overall.
constexpr int32_t dibMaxSide = 16384;
constexpr int64_t dibMaxPixels = int64_t{1} << 26;

// Decodes a packed device-independent bitmap: a 40-byte information header or a
// 12-byte core header, the colour masks (compression 3), the palette and the pixels.
// Accepts 1, 4, 8, 16, 24 and 32 bits per pixel, compression 0 to 3, bottom-up and
// (uncompressed only) top-down rows. Throws EInvalidGraphic for anything else.
Surface LoadDIB(std::span<const uint8_t> data);

// Decodes a stand-alone bitmap file: the 14-byte "BM" file header, then a packed DIB
// whose pixels start at the header's offset.
Surface LoadBitmapFile(std::span<const uint8_t> data);
