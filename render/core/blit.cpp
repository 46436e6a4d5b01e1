// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "blit.h"
#include "drawlog.h"

#include <algorithm>
#include <cstring>

void fillRect(Surface& surface, const TRect& r, uint32_t c) {
    uint32_t* p = surface.scanLine(r.y) + r.x;
    const std::size_t stride = static_cast<std::size_t>(surface.width());
    if (r.x == 0 && r.w == surface.width()) {
        // Whole rows lie one after the other.
        const std::size_t n = static_cast<std::size_t>(r.w) * static_cast<std::size_t>(r.h);
        if (c == 0) {
            std::memset(p, 0, n * sizeof(uint32_t));
        } else {
            std::fill_n(p, n, c);
        }
        return;
    }
    for (int32_t y = 0; y < r.h; ++y, p += stride) std::fill_n(p, r.w, c);
}

void copyRect(const Surface& source, int32_t srcX, int32_t srcY, Surface& target, const TRect& r,
              bool transparent, uint32_t key) {
    uint32_t* d = target.scanLine(r.y) + r.x;
    const uint32_t* s = source.scanLine(srcY) + srcX;
    const std::size_t dStride = static_cast<std::size_t>(target.width());
    const std::size_t sStride = static_cast<std::size_t>(source.width());
    if (!transparent) {
        if (r.w == 16) {
            // Whole cells, most of every frame: a fixed-size copy the compiler inlines.
            for (int32_t y = 0; y < r.h; ++y, d += dStride, s += sStride) {
                std::memcpy(d, s, 16 * sizeof(uint32_t));
            }
            return;
        }
        const std::size_t bytes = static_cast<std::size_t>(r.w) * sizeof(uint32_t);
        for (int32_t y = 0; y < r.h; ++y, d += dStride, s += sStride) std::memcpy(d, s, bytes);
        return;
    }
    // The key is a colour; the unused top byte of a pixel takes no part in the match.
    key &= 0x00FFFFFFu;
    for (int32_t y = 0; y < r.h; ++y, d += dStride, s += sStride) {
        for (int32_t i = 0; i < r.w; ++i) {
            if ((s[i] & 0x00FFFFFFu) != key) d[i] = s[i];
        }
    }
}

bool FillSurface(Surface* surface, uint32_t c) {
    if (surface == nullptr || surface->empty()) return false;
    if (TDrawLog* drawLog = surface->drawLog()) {
        drawLog->fill(c);
        return true;
    }
    fillRect(*surface, {0, 0, surface->width(), surface->height()}, c);
    return true;
}

void DrawSprite(const TPictureCollectionItem& item, Surface* surface, int32_t x, int32_t y,
                int32_t pattern) {
    if (item.surface.empty() || pattern < 0 || pattern >= item.PatternCount()) return;
    if (surface == nullptr || surface->empty()) return;
    const Surface& source = item.surface;
    if (x > surface->width() || y > surface->height()) return;

    // Clipping in 64 bits: a far negative x or y must not wrap around.
    int64_t dx = x, dy = y;
    int64_t sx = 0, sy = 0;
    int64_t w = source.width(), h = source.height();
    if (dx < 0) {
        sx = -dx;
        w += dx;
        dx = 0;
    }
    if (dy < 0) {
        sy = -dy;
        h += dy;
        dy = 0;
    }
    w = std::min<int64_t>(w, surface->width() - dx);
    h = std::min<int64_t>(h, surface->height() - dy);
    if (w <= 0 || h <= 0) return;

    const int32_t srcX = static_cast<int32_t>(sx), srcY = static_cast<int32_t>(sy);
    const TRect target{static_cast<int32_t>(dx), static_cast<int32_t>(dy), static_cast<int32_t>(w),
                       static_cast<int32_t>(h)};
    if (TDrawLog* drawLog = surface->drawLog()) {
        drawLog->copy(source, srcX, srcY, target, item.Transparent, item.TransparentColor);
        return;
    }
    copyRect(source, srcX, srcY, *surface, target, item.Transparent, item.TransparentColor);
}
