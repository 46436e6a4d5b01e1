// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFFu);
    put16(b, v >> 16);
}

// A 40-byte information header.
Bytes info(int32_t w, int32_t h, uint16_t bits, uint32_t compression = 0, uint32_t used = 0) {
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<uint32_t>(w));
    put32(b, static_cast<uint32_t>(h));
    put16(b, 1);
    put16(b, bits);
    put32(b, compression);
    put32(b, 0); // image size, may be 0 for uncompressed pictures
    put32(b, 0);
    put32(b, 0);
    put32(b, used);
    put32(b, 0);
    return b;
}

void append(Bytes& b, std::initializer_list<uint8_t> bytes) {
    b.insert(b.end(), bytes);
}
void append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

// Palette entries as blue, green, red, 0.
void palette(Bytes& b, std::initializer_list<uint32_t> rgb, int entrySize = 4) {
    for (uint32_t c : rgb) {
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(static_cast<uint8_t>(c >> 8));
        b.push_back(static_cast<uint8_t>(c >> 16));
        if (entrySize == 4) b.push_back(0);
    }
}

Bytes withFileHeader(const Bytes& dib, uint32_t offset) {
    Bytes b{'B', 'M'};
    put32(b, static_cast<uint32_t>(14 + dib.size()));
    put32(b, 0);
    put32(b, offset);
    append(b, dib);
    return b;
}

// 3 x 2 pixels with 8 bits: palette {red, green, blue}, rows bottom-up.
Bytes eightBit() {
    Bytes b = info(3, 2, 8, 0, 3);
    palette(b, {0xFF0000, 0x00FF00, 0x0000FF});
    append(b, {2, 1, 0, 0}); // bottom row, padded to 4 bytes
    append(b, {0, 1, 2, 0}); // top row
    return b;
}

void expectRow(const Surface& s, int32_t y, std::initializer_list<uint32_t> colours) {
    int32_t x = 0;
    for (uint32_t c : colours) {
        EXPECT_EQ(s.pixel(x, y), c) << "at " << x << ", " << y;
        ++x;
    }
}

void expectInvalid(const Bytes& b) {
    try {
        LoadDIB(b);
        ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "DIB is invalid");
    }
}

} // namespace

TEST(Dib, UncompressedPaletteDepthsRunBottomUp) {
    Surface s = LoadDIB(eightBit());
    ASSERT_EQ(s.width(), 3);
    ASSERT_EQ(s.height(), 2);
    expectRow(s, 0, {0xFF0000, 0x00FF00, 0x0000FF});
    expectRow(s, 1, {0x0000FF, 0x00FF00, 0xFF0000});

    // 1 bit, colours used 0: two entries; 9 pixels span two bytes, padded to four
    Bytes one = info(9, 1, 1);
    palette(one, {0x000000, 0xFFFFFF});
    append(one, {0b10100000, 0b10000000, 0, 0});
    s = LoadDIB(one);
    expectRow(s, 0, {0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0xFFFFFF});

    // 4 bits, colours used 0: sixteen entries, high nibble first, odd width
    Bytes four = info(3, 1, 4);
    palette(four, {0, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                   0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF});
    append(four, {0x9F, 0x70, 0, 0});
    s = LoadDIB(four);
    expectRow(s, 0, {0xFF0000, 0xFFFFFF, 0xC0C0C0});
}

TEST(Dib, IndexBeyondAShortPaletteIsBlack) {
    Bytes b = info(2, 1, 8, 0, 1);
    palette(b, {0x123456});
    append(b, {0, 200, 0, 0});
    expectRow(LoadDIB(b), 0, {0x123456, 0});
}

TEST(Dib, TrueColourAndTopDown) {
    // 24 bits, 2 x 2, each row 6 bytes padded to 8; negative height: first row on top
    Bytes b = info(2, -2, 24);
    append(b, {0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0, 0});
    append(b, {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0, 0});
    Surface s = LoadDIB(b);
    expectRow(s, 0, {0x010203, 0x040506});
    expectRow(s, 1, {0x0000FF, 0x00FF00});

    Bytes b32 = info(1, 1, 32);
    append(b32, {0x33, 0x22, 0x11, 0xAA}); // the fourth byte is not colour
    expectRow(LoadDIB(b32), 0, {0x112233});

    // 16 bits without masks are 5-5-5: the 5-bit maxima widen to 255
    Bytes b16 = info(2, 1, 16);
    put16(b16, 0x7C00);
    put16(b16, 0x001F);
    expectRow(LoadDIB(b16), 0, {0xFF0000, 0x0000FF});
}

TEST(Dib, Bitfields) {
    Bytes b = info(3, 1, 16, 3);
    put32(b, 0xF800); // 5-6-5
    put32(b, 0x07E0);
    put32(b, 0x001F);
    put16(b, 0xF800);
    put16(b, 0x07E0);
    put16(b, 0x0410); // green 32 of 63, blue 16 of 31
    put16(b, 0);
    expectRow(LoadDIB(b), 0, {0xFF0000, 0x00FF00, 0x008284});

    Bytes b32 = info(1, 1, 32, 3);
    put32(b32, 0x000000FF); // red in the low byte, blue in the high one
    put32(b32, 0x0000FF00);
    put32(b32, 0xFF000000);
    put32(b32, 0x80002040);
    expectRow(LoadDIB(b32), 0, {0x402080});

    Bytes none = info(1, 1, 32, 3);
    put32(none, 0);
    put32(none, 0);
    put32(none, 0);
    put32(none, 0xFFFFFFFF);
    expectRow(LoadDIB(none), 0, {0});
}

TEST(Dib, Rle8RunsAbsoluteDeltaAndEnds) {
    Bytes b = info(4, 3, 8, 1, 3);
    palette(b, {0x000000, 0xFF0000, 0x00FF00});
    append(b, {3, 1});             // bottom row: three red
    append(b, {0, 2, 0, 1});       // delta: straight up into the middle row
    append(b, {1, 2});             // one green in its last column
    append(b, {0, 0});             // end of line
    append(b, {0, 3, 2, 1, 2, 0}); // absolute: green red green, padded to a word
    append(b, {9, 1});             // a run past the right edge is cut off
    append(b, {0, 1});             // end of picture
    Surface s = LoadDIB(b);
    expectRow(s, 2, {0xFF0000, 0xFF0000, 0xFF0000, 0});
    expectRow(s, 1, {0, 0, 0, 0x00FF00});
    expectRow(s, 0, {0x00FF00, 0xFF0000, 0x00FF00, 0xFF0000});
}

TEST(Dib, Rle4AlternatesNibbles) {
    Bytes b = info(6, 1, 4, 2, 2);
    palette(b, {0x000000, 0xFFFFFF});
    append(b, {3, 0x10});          // white black white
    append(b, {0, 3, 0x01, 0x00}); // absolute: black white black
    append(b, {0, 1});
    expectRow(LoadDIB(b), 0, {0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0});
}

TEST(Dib, RlePicturesMustEnd) {
    Bytes b = info(2, 2, 8, 1, 2);
    palette(b, {0, 0xFFFFFF});
    Bytes fullWithoutEnd = b;
    append(fullWithoutEnd, {2, 1, 0, 0, 2, 1, 0, 0}); // both rows, each ended
    expectRow(LoadDIB(fullWithoutEnd), 0, {0xFFFFFF, 0xFFFFFF});

    Bytes stopsEarly = b;
    append(stopsEarly, {2, 1});
    expectInvalid(stopsEarly);

    Bytes cutAbsolute = b;
    append(cutAbsolute, {0, 4, 1, 1});
    expectInvalid(cutAbsolute);

    Bytes cutDelta = b;
    append(cutDelta, {0, 2, 1});
    expectInvalid(cutDelta);
}

TEST(Dib, CoreHeaderHasThreeBytePaletteEntries) {
    Bytes b;
    put32(b, 12);
    put16(b, 2);
    put16(b, 1);
    put16(b, 1);
    put16(b, 4);
    palette(b,
            {0, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
             0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF},
            3);
    append(b, {0xC2, 0, 0, 0});
    expectRow(LoadDIB(b), 0, {0x0000FF, 0x008000});
}

TEST(Dib, FileHeaderGivesThePixelOffset) {
    Bytes dib = eightBit();
    Surface s = LoadBitmapFile(withFileHeader(dib, 14 + 40 + 12));
    expectRow(s, 0, {0xFF0000, 0x00FF00, 0x0000FF});

    // pixels further on, behind a gap
    Bytes gap = info(3, 2, 8, 0, 3);
    palette(gap, {0xFF0000, 0x00FF00, 0x0000FF});
    append(gap, {0xEE, 0xEE, 0xEE, 0xEE});
    append(gap, {2, 1, 0, 0, 0, 1, 2, 0});
    expectRow(LoadBitmapFile(withFileHeader(gap, 14 + 40 + 12 + 4)), 1, {0x0000FF, 0x00FF00});

    EXPECT_THROW(LoadBitmapFile(dib), EInvalidGraphic); // no "BM"
    Bytes wrongTag = withFileHeader(dib, 66);
    wrongTag[1] = 'A';
    EXPECT_THROW(LoadBitmapFile(wrongTag), EInvalidGraphic);
    EXPECT_THROW(LoadBitmapFile(withFileHeader(dib, 20)), EInvalidGraphic); // inside header
    EXPECT_THROW(LoadBitmapFile(withFileHeader(dib, 1000)), EInvalidGraphic);
    EXPECT_THROW(LoadBitmapFile(Bytes{'B', 'M', 0, 0}), EInvalidGraphic);
}

TEST(Dib, RejectsMalformedHeaders) {
    expectInvalid({});
    expectInvalid({40, 0, 0});
    Bytes h = eightBit();
    for (uint32_t size : {0u, 41u, 108u, 124u}) {
        Bytes b = h;
        b[0] = static_cast<uint8_t>(size);
        expectInvalid(b);
    }
    for (uint32_t compression : {4u, 5u, 0xFFFFFFFFu}) {
        Bytes b = info(1, 1, 8, compression);
        b.resize(b.size() + 256 * 4 + 4);
        expectInvalid(b);
    }
    Bytes planes = h;
    planes[12] = 2;
    expectInvalid(planes);
    Bytes badBits = info(1, 1, 5);
    badBits.resize(badBits.size() + 4096);
    expectInvalid(badBits);
    // run-length coding needs its own depth and cannot run top-down
    expectInvalid(info(1, 1, 4, 1));
    expectInvalid(info(1, 1, 8, 2));
    expectInvalid(info(1, 1, 24, 3));
    Bytes topDownRle = info(1, -1, 8, 1, 1);
    palette(topDownRle, {0});
    append(topDownRle, {0, 1});
    expectInvalid(topDownRle);
}

TEST(Dib, RejectsAbsurdSizesWithoutAllocating) {
    for (auto [w, h] : {std::pair{0, 1},
                        {1, 0},
                        {-1, 1},
                        {16385, 1},
                        {1, 16385},
                        {1, static_cast<int32_t>(0x80000000u)},
                        {16384, 16384},
                        {0x7FFFFFFF, 0x7FFFFFFF}}) {
        Bytes b = info(w, h, 24);
        b.resize(b.size() + 64);
        expectInvalid(b);
    }
    // a run-length picture of the largest accepted size decodes from a few bytes
    Bytes big = info(dibMaxSide, 4, 8, 1, 1);
    palette(big, {0x010203});
    append(big, {0, 1});
    Surface s = LoadDIB(big);
    EXPECT_EQ(s.width(), dibMaxSide);
    EXPECT_EQ(s.pixel(dibMaxSide - 1, 3), 0x010203u);
}

TEST(Dib, RejectsTruncatedPaletteAndPixels) {
    Bytes good = eightBit();
    Bytes shortPixels(good.begin(), good.end() - 1);
    expectInvalid(shortPixels);
    Bytes shortPalette(good.begin(), good.begin() + 40 + 11);
    expectInvalid(shortPalette);
    Bytes hugePalette = info(1, 1, 8, 0, 0xFFFFFFFF);
    hugePalette.resize(hugePalette.size() + 1024 + 4);
    expectInvalid(hugePalette);
    Bytes noMasks = info(1, 1, 16, 3);
    put32(noMasks, 0xF800);
    expectInvalid(noMasks);
}

TEST(Dib, PaletteBeyond256EntriesIsSkippedNotUsed) {
    // colours used 300 on a true colour picture: all 300 entries lie before the pixels
    Bytes b = info(1, 1, 24, 0, 300);
    b.resize(b.size() + 300 * 4);
    append(b, {0x30, 0x20, 0x10, 0});
    expectRow(LoadDIB(b), 0, {0x102030});
}
