#include "bild.h"

#include <algorithm>
#include <cstring>

bool FillSurface(Surface* surface, uint32_t c) {
    if (surface == nullptr || surface->empty()) return false;
    const std::size_t n =
        static_cast<std::size_t>(surface->width()) * static_cast<std::size_t>(surface->height());
    uint32_t* p = surface->bits();
    if (c == 0) {
        std::memset(p, 0, n * sizeof(uint32_t));
    } else {
        std::fill_n(p, n, c);
    }
    return true;
}

void DrawSprite(const TPictureCollectionItem& item, Surface* surface, int32_t x, int32_t y,
                int32_t pattern) {
    if (item.surface.empty() || pattern < 0 || pattern >= item.PatternCount()) return;
    if (surface == nullptr || surface->empty()) return;
    const Surface& quelle = item.surface;
    if (x > surface->width() || y > surface->height()) return;

    // Clipping in 64 bits: a far negative x or y must not wrap around.
    int64_t dx = x, dy = y;
    int64_t sx = 0, sy = 0;
    int64_t w = quelle.width(), h = quelle.height();
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

    const int32_t qx = static_cast<int32_t>(sx), qy = static_cast<int32_t>(sy);
    const int32_t zx = static_cast<int32_t>(dx), zy = static_cast<int32_t>(dy);
    const int32_t bw = static_cast<int32_t>(w), bh = static_cast<int32_t>(h);

    if (!item.Transparent) {
        uint32_t* d = surface->scanLine(zy) + zx;
        const uint32_t* s = quelle.scanLine(qy) + qx;
        const std::size_t dStride = static_cast<std::size_t>(surface->width());
        const std::size_t sStride = static_cast<std::size_t>(quelle.width());
        if (bw == 16) {
            // Whole cells, most of every frame: a fixed-size copy the compiler inlines.
            for (int32_t r = 0; r < bh; ++r, d += dStride, s += sStride) {
                std::memcpy(d, s, 16 * sizeof(uint32_t));
            }
            return;
        }
        const std::size_t bytes = static_cast<std::size_t>(bw) * sizeof(uint32_t);
        for (int32_t r = 0; r < bh; ++r, d += dStride, s += sStride) std::memcpy(d, s, bytes);
        return;
    }

    // The key is a colour; the unused top byte of a pixel takes no part in the match.
    const uint32_t key = item.TransparentColor & 0x00FFFFFFu;
    for (int32_t r = 0; r < bh; ++r) {
        const uint32_t* s = quelle.scanLine(qy + r) + qx;
        uint32_t* d = surface->scanLine(zy + r) + zx;
        for (int32_t i = 0; i < bw; ++i) {
            if ((s[i] & 0x00FFFFFFu) != key) d[i] = s[i];
        }
    }
}
