// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "blit.h"
#include "katalog.h"
#include <array>
#include <cstdint>

class TSpiel;
struct TZeiger;

// Draws one whole frame of the game onto `ziel` (the back surface, already filled)
// from the 43 sprites: frame, counters, face, cells, press previews and the level-5
// pictures. t is the time to show in seconds, 0..999. Reads the game and the pointer
// state, changes nothing and never allocates.
void zeichnen(Surface* ziel, const std::array<TPictureCollectionItem, spriteAnzahl>& bilder,
              const TSpiel& spiel, const TZeiger& zeiger, int32_t t);
