// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "surface.h"
#include <cstdint>
#include <string>

// One item of the image list: a picture and how it is copied. With PatternWidth and
// PatternHeight 0 the whole picture is the single pattern 0.
struct TPictureCollectionItem {
    std::string Name;
    int32_t PatternHeight = 0;
    int32_t PatternWidth = 0;
    bool SystemMemory = false;
    bool Transparent = false;
    uint32_t TransparentColor = 0; // 0x00RRGGBB; pixels of this colour are left out

    Surface surface; // the sprite surface, built from the picture once

    int32_t PatternCount() const { return surface.empty() ? 0 : 1; }
};

// Fills the whole surface with the device colour c. False when there is no surface.
bool FillSurface(Surface* surface, uint32_t c);

// Copies pattern `pattern` of the item with its top-left corner at (x, y), clipped to
// the surface; a transparent item leaves out exactly its key pixels. Never allocates,
// unless the surface's drawing log grows (drawlog.h).
void DrawSprite(const TPictureCollectionItem& item, Surface* surface, int32_t x, int32_t y,
                int32_t pattern);

// The pixel work of both, on rectangles that lie inside their surfaces: a fill, and a copy
// from (srcX, srcY) of `source` that with `transparent` leaves out the pixels of colour `key`.
void fillRect(Surface& surface, const TRect& r, uint32_t c);
void copyRect(const Surface& source, int32_t srcX, int32_t srcY, Surface& target, const TRect& r,
              bool transparent, uint32_t key);
