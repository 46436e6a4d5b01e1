// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a sprite's pixels stand on a composed surface: the frame tests and the main
// window tests check what a frame shows with it.
#include "blit.h"
#include "layout.h"
#include "surface.h"

#include <cstdint>

// A rectangle of the surface left out of a comparison, where later steps draw over.
struct TAusnahme {
    int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1; // inclusive
    bool enthaelt(int32_t x, int32_t y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Whether the sprite's picture stands on `ziel` with its top-left corner at p. Key pixels
// of a transparent sprite and pixels inside `ausnahme` are not compared. A sprite that
// reaches beyond the surface is compared where it lies on it when `beschnitten`, and
// stands nowhere otherwise; an empty picture stands nowhere.
inline bool spriteSteht(const Surface& ziel, const TPictureCollectionItem& sprite, TPunkt p,
                        TAusnahme ausnahme = {}, bool beschnitten = true) {
    const Surface& bild = sprite.surface;
    if (bild.empty()) return false;
    if (!beschnitten && (p.x < 0 || p.y < 0 || p.x + bild.width() > ziel.width() ||
                         p.y + bild.height() > ziel.height()))
        return false;
    for (int32_t y = 0; y < bild.height(); ++y) {
        for (int32_t x = 0; x < bild.width(); ++x) {
            const int32_t zx = p.x + x, zy = p.y + y;
            if (zx < 0 || zy < 0 || zx >= ziel.width() || zy >= ziel.height()) continue;
            if (ausnahme.enthaelt(zx, zy)) continue;
            const uint32_t pixel = bild.pixel(x, y);
            if (sprite.Transparent && pixel == sprite.TransparentColor) continue;
            if (ziel.pixel(zx, zy) != pixel) return false;
        }
    }
    return true;
}
