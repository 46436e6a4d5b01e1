// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dib.h"

#include <array>
#include <cstddef>
#include <limits>

// Every length and offset below comes from outside bytes. All arithmetic on them is
// done in 64 bits and checked against the buffer before a byte is read, so no header,
// however absurd, makes the loader read out of bounds or allocate without limit.

namespace {

constexpr uint64_t npos = std::numeric_limits<uint64_t>::max();

class Bytes {
public:
    explicit Bytes(std::span<const uint8_t> d) : d_(d) {}
    uint64_t size() const { return d_.size(); }
    uint8_t u8(uint64_t off) const {
        need(off, 1);
        return d_[off];
    }
    uint16_t u16(uint64_t off) const {
        need(off, 2);
        return static_cast<uint16_t>(d_[off] | (d_[off + 1] << 8));
    }
    uint32_t u32(uint64_t off) const {
        need(off, 4);
        return static_cast<uint32_t>(d_[off]) | (static_cast<uint32_t>(d_[off + 1]) << 8) |
               (static_cast<uint32_t>(d_[off + 2]) << 16) |
               (static_cast<uint32_t>(d_[off + 3]) << 24);
    }
    int32_t i32(uint64_t off) const { return static_cast<int32_t>(u32(off)); }
    void need(uint64_t off, uint64_t len) const {
        if (off > size() || len > size() - off) throw EInvalidGraphic();
    }
    const uint8_t* at(uint64_t off) const { return d_.data() + off; }

private:
    std::span<const uint8_t> d_;
};

// One colour channel given by a bit mask, widened to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t m = 0) : mask(m) {
        if (m == 0) return;
        while (((m >> shift) & 1u) == 0) ++shift;
        while (bits < 32 - shift && ((m >> (shift + bits)) & 1u) != 0) ++bits;
    }
    uint32_t operator()(uint32_t v) const {
        if (bits == 0) return 0;
        uint32_t x = (v & mask) >> shift;
        if (bits < 32) x &= (1u << bits) - 1u; // a mask with gaps keeps its lowest run
        if (bits >= 8) return x >> (bits - 8);
        uint32_t max = (1u << bits) - 1u;
        return (x * 255u + max / 2u) / max;
    }
};

struct Masks {
    Channel r, g, b;
    uint32_t operator()(uint32_t v) const { return (r(v) << 16) | (g(v) << 8) | b(v); }
};

struct Header {
    uint64_t size = 0; // 40 or 12
    int32_t width = 0;
    int32_t height = 0; // rows, always positive here
    bool topDown = false;
    uint16_t bits = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

Header readHeader(const Bytes& in) {
    Header h;
    h.size = in.u32(0);
    int64_t height = 0;
    uint16_t planes = 0;
    if (h.size == 40) {
        in.need(0, 40);
        h.width = in.i32(4);
        height = in.i32(8);
        planes = in.u16(12);
        h.bits = in.u16(14);
        h.compression = in.u32(16);
        h.colorsUsed = in.u32(32);
    } else if (h.size == 12) {
        in.need(0, 12);
        h.width = in.u16(4);
        height = in.u16(6);
        planes = in.u16(8);
        h.bits = in.u16(10);
        if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24) throw EInvalidGraphic();
    } else {
        throw EInvalidGraphic();
    }
    if (planes != 1) throw EInvalidGraphic();
    if (height < 0) {
        h.topDown = true;
        height = -height;
    }
    if (h.width <= 0 || h.width > dibMaxSide || height == 0 || height > dibMaxSide)
        throw EInvalidGraphic();
    h.height = static_cast<int32_t>(height);
    if (int64_t{h.width} * h.height > dibMaxPixels) throw EInvalidGraphic();

    switch (h.compression) {
    case 0:
        if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 &&
            h.bits != 32)
            throw EInvalidGraphic();
        break;
    case 1: // run-length rows can only run bottom-up
        if (h.bits != 8 || h.topDown) throw EInvalidGraphic();
        break;
    case 2:
        if (h.bits != 4 || h.topDown) throw EInvalidGraphic();
        break;
    case 3:
        if (h.bits != 16 && h.bits != 32) throw EInvalidGraphic();
        break;
    default:
        throw EInvalidGraphic();
    }
    return h;
}

using Palette = std::array<uint32_t, 256>;

// Decodes the run-length pixels of `in` from `pos` on into `out`.
void decodeRle(const Bytes& in, uint64_t pos, const Header& h, const Palette& pal,
               uint32_t palCount, Surface& out) {
    const bool rle4 = h.compression == 2;
    int64_t x = 0;
    int64_t y = 0; // counted from the bottom row
    auto put = [&](uint32_t index) {
        if (x < h.width && y < h.height) {
            out.setPixel(static_cast<int32_t>(x), static_cast<int32_t>(h.height - 1 - y),
                         index < palCount ? pal[index] : 0u);
        }
        ++x;
    };
    while (y < h.height) {
        if (pos >= in.size()) throw EInvalidGraphic(); // ended before the last row
        in.need(pos, 2);
        uint8_t count = in.u8(pos);
        uint8_t value = in.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < h.width; ++i)
                put(rle4 ? ((i & 1u) ? (value & 0x0Fu) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // move right and up
            in.need(pos, 2);
            x += in.u8(pos);
            y += in.u8(pos + 1);
            pos += 2;
        } else { // `value` pixels stored as they are, padded to a 16-bit word
            uint64_t len = rle4 ? (value + 1u) / 2u : value;
            uint64_t padded = (len + 1u) & ~uint64_t{1};
            in.need(pos, padded);
            for (unsigned i = 0; i < value; ++i) {
                uint8_t byte = in.u8(pos + (rle4 ? i / 2u : i));
                put(rle4 ? ((i & 1u) ? (byte & 0x0Fu) : (byte >> 4)) : byte);
            }
            pos += padded;
        }
    }
}

void decodeRows(const Bytes& in, uint64_t pos, const Header& h, const Palette& pal,
                uint32_t palCount, const Masks& masks, Surface& out) {
    const uint64_t stride = ((uint64_t{static_cast<uint32_t>(h.width)} * h.bits + 31u) / 32u) * 4u;
    in.need(pos, stride * static_cast<uint64_t>(h.height));
    auto colour = [&](uint32_t index) { return index < palCount ? pal[index] : 0u; };
    for (int32_t r = 0; r < h.height; ++r) {
        const uint8_t* row = in.at(pos + stride * static_cast<uint64_t>(r));
        uint32_t* dst = out.scanLine(h.topDown ? r : h.height - 1 - r);
        for (int32_t x = 0; x < h.width; ++x) {
            switch (h.bits) {
            case 1:
                dst[x] = colour((row[x / 8] >> (7 - x % 8)) & 1u);
                break;
            case 4:
                dst[x] = colour((x & 1) ? (row[x / 2] & 0x0Fu) : (row[x / 2] >> 4));
                break;
            case 8:
                dst[x] = colour(row[x]);
                break;
            case 16:
                dst[x] = masks(static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8)));
                break;
            case 24:
                dst[x] =
                    (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
                break;
            default: {
                const uint8_t* p = row + 4 * x;
                uint32_t v = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                             (uint32_t{p[3]} << 24);
                dst[x] = masks(v);
            }
            }
        }
    }
}

// `pixelOffset` is where the pixels start, or npos for right behind the palette.
Surface decode(std::span<const uint8_t> data, uint64_t pixelOffset) {
    Bytes in(data);
    const Header h = readHeader(in);
    uint64_t pos = h.size;

    Masks masks;
    if (h.compression == 3) {
        masks = {Channel(in.u32(pos)), Channel(in.u32(pos + 4)), Channel(in.u32(pos + 8))};
        pos += 12;
    } else if (h.bits == 16) {
        masks = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
    } else {
        masks = {Channel(0xFF0000), Channel(0x00FF00), Channel(0x0000FF)};
    }

    uint64_t stored = h.colorsUsed != 0 ? h.colorsUsed : (h.bits <= 8 ? (1u << h.bits) : 0u);
    const uint64_t entry = h.size == 12 ? 3 : 4;
    in.need(pos, stored * entry);
    Palette pal{};
    const uint32_t palCount = static_cast<uint32_t>(stored < 256 ? stored : 256);
    for (uint32_t i = 0; i < palCount; ++i) {
        uint64_t e = pos + i * entry;
        pal[i] = (uint32_t{in.u8(e + 2)} << 16) | (uint32_t{in.u8(e + 1)} << 8) | in.u8(e);
    }
    pos += stored * entry;

    if (pixelOffset != npos) {
        if (pixelOffset < pos || pixelOffset > in.size()) throw EInvalidGraphic();
        pos = pixelOffset;
    }

    Surface out(h.width, h.height);
    if (h.compression == 1 || h.compression == 2) {
        if (palCount > 0 && pal[0] != 0) {
            for (int32_t y = 0; y < h.height; ++y)
                for (int32_t x = 0; x < h.width; ++x) out.setPixel(x, y, pal[0]);
        }
        decodeRle(in, pos, h, pal, palCount, out);
    } else {
        decodeRows(in, pos, h, pal, palCount, masks, out);
    }
    return out;
}

} // namespace

Surface LoadDIB(std::span<const uint8_t> data) {
    return decode(data, npos);
}

Surface LoadBitmapFile(std::span<const uint8_t> data) {
    Bytes in(data);
    in.need(0, 14);
    if (data[0] != 'B' || data[1] != 'M') throw EInvalidGraphic();
    const uint32_t offset = in.u32(10);
    // Some writers leave the offset 0 and put the pixels right behind the palette.
    if (offset != 0 && offset < 14) throw EInvalidGraphic();
    return decode(data.subspan(14), offset == 0 ? npos : offset - 14u);
}
