// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "blit.h"
#include "katalog.h"
#include <array>
#include <cstdint>
#include <span>

// The sprites and icons compiled into the program, so it runs from any directory.

// The raw bytes of sprite `index` as a stand-alone bitmap file ("BM" header first).
// Empty when the index is out of range or the asset was not built in.
std::span<const uint8_t> spriteDaten(int32_t index);

// The about box's 32 x 32 16-colour mine icon, a bitmap file. Its pixels of colour
// programmSymbolMaske are transparent.
std::span<const uint8_t> programmSymbolDaten();
constexpr uint32_t programmSymbolMaske = 0xFF00FF;

// The application icon for the window and the desktop entry, a PNG file.
std::span<const uint8_t> anwendungsSymbolDaten();

// Builds the 43 image list items in catalogue order: name, transparency (key
// BFBFBF for 41 and 42) and the sprite surface decoded from the compiled-in picture.
// Throws EInvalidGraphic ("DIB is invalid") when a picture is malformed.
void spritesLaden(std::array<TPictureCollectionItem, spriteAnzahl>& items);
