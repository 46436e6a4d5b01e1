// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A draw in 0..n-1 from the program's one random generator.
using TZufallsZug = std::function<int32_t(int32_t n)>;

// The league check constant from which the check value is derived.
constexpr int32_t ligaPruefKonstante = 5193079;

// The 64-character code (0-9, A-F) that carries a best time to the league.
// name: 15 Windows-1252 bytes; zeit: tenths of a second; stufe: level 1..5.
std::string getcode(std::string_view name, int32_t zeit, int32_t stufe, const TZufallsZug& random);

// The check value that travels with a time: the constant divided by level times time, the
// product wrapping as a signed 32-bit integer would; 0 when the product is 0.
int32_t ligaPruefwert(int32_t zeit, int32_t stufe);

// A code read back: the plain block with the mask undone, the mask and the checksum as
// sent. Nothing is judged yet.
struct TLigacode {
    static constexpr std::size_t blockLaenge = 30;
    std::array<uint8_t, blockLaenge> block{};
    uint8_t maske = 0;
    uint8_t pruefsumme = 0;

    // The 15 name bytes, first character first, blanks included.
    std::string name() const;
    // The time's two low bytes: the code carries no more of it.
    uint16_t zeitUnten() const { return static_cast<uint16_t>(block[5] | block[15] << 8); }
    uint8_t stufe() const { return block[11]; }
    uint16_t pruefwertUnten() const { return static_cast<uint16_t>(block[9] | block[21] << 8); }
    // Time, level and check value on their positions, as getcode puts them.
    void festeFelderSetzen(int32_t zeit, int32_t stufe);
    // The sum of the plain bytes mod 256, which the checksum must equal.
    uint8_t summe() const;
    bool fuellerGut() const; // every filler byte in 3..252
};

// The code text, 64 hexadecimal digits: each block byte plus its position (from 1) times
// the mask, with the mask set in before block byte 7 and the checksum before
// block byte 10 (counted from 0).
std::string ligacodeText(const TLigacode& code);
// Undoes ligacodeText; nothing unless the text is 64 characters 0-9, A-F.
std::optional<TLigacode> ligacodeLesen(std::string_view code);

// What a received code says, or the first thing wrong with it.
enum class TCodeBefund {
    gut,
    keinCode,       // not 64 characters 0-9, A-F
    pruefsumme,     // the checksum does not hold
    fueller,        // a filler byte outside 3..252
    stufe,          // no level 1..5
    name,           // not 6 to 15 allowed characters padded with blanks to 15
    pruefwert,      // no time fits the two low bytes and the check value
    zeitMehrdeutig, // several times fit: only games of hours carry so little
    keineZeit       // a time of 0 tenths, which no game takes
};

struct TCodePruefung {
    TCodeBefund befund = TCodeBefund::keinCode;
    std::string name; // without the padding blanks
    int32_t zeit = 0; // the whole time in tenths
    int32_t stufe = 0;
};

// Judges a received code. Only the time's two low bytes travel, so the time is the one
// whole time (up to 2^31-1 tenths over the level) whose two low bytes and check value
// agree with the code. On every level each time below seven hours is the only one that
// fits; several fits (zeitMehrdeutig) come only from longer games.
TCodePruefung ligacodePruefen(std::string_view code);

// Splits an answer into lines ended by CR LF, a lone CR or a lone LF; a last line without
// an end counts too; an empty answer gives no lines.
std::vector<std::string> antwortLaden(std::string_view antwort);
