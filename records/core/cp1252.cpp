// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp1252.h"
#include <cstdint>

namespace {

// Code points of the bytes 0x80..0x9F. The five bytes Windows-1252 leaves unassigned map
// to the C1 control of the same number, so every byte survives the round trip.
constexpr char32_t zeichen80bis9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t zuZeichen(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) return zeichen80bis9F[byte - 0x80];
    return byte;
}

void utf8Anhaengen(std::string& aus, char32_t c) {
    if (c < 0x80) {
        aus += static_cast<char>(c);
    } else if (c < 0x800) {
        aus += static_cast<char>(0xC0 | (c >> 6));
        aus += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        aus += static_cast<char>(0xE0 | (c >> 12));
        aus += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        aus += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The byte for a code point, or '?' when the code page has none.
char zuByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (zeichen80bis9F[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

std::string cp1252NachUtf8(std::string_view bytes) {
    std::string aus;
    aus.reserve(bytes.size() * 2);
    for (char b : bytes) utf8Anhaengen(aus, zuZeichen(static_cast<uint8_t>(b)));
    return aus;
}

std::string utf8NachCp1252(std::string_view utf8) {
    std::string aus;
    aus.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b0 = static_cast<uint8_t>(utf8[i]);
        std::size_t laenge = 0;
        char32_t c = 0;
        char32_t kleinster = 0;
        if (b0 < 0x80) {
            laenge = 1;
            c = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            laenge = 2;
            c = b0 & 0x1F;
            kleinster = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            laenge = 3;
            c = b0 & 0x0F;
            kleinster = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            laenge = 4;
            c = b0 & 0x07;
            kleinster = 0x10000;
        } else {
            aus += '?';
            ++i;
            continue;
        }
        bool gut = i + laenge <= utf8.size();
        for (std::size_t k = 1; gut && k < laenge; ++k) {
            const auto b = static_cast<uint8_t>(utf8[i + k]);
            if ((b & 0xC0) != 0x80)
                gut = false;
            else
                c = (c << 6) | (b & 0x3F);
        }
        if (!gut || c < kleinster || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            // One '?' for the lead byte; the resynchronisation starts at the next byte.
            aus += '?';
            ++i;
            continue;
        }
        aus += zuByte(c);
        i += laenge;
    }
    return aus;
}
