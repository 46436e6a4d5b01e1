// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The response header as bytes: finding its lines in the receive buffer, within bounds, and
// telling what a line says. Pure functions; nothing here touches a socket or the client.

// Bounds of one response header: its bytes, line ends included, and its lines. A line that
// has not ended yet counts with the bytes it holds so far.
constexpr std::size_t kopfGrenzeBytes = 64 * 1024;
constexpr int kopfGrenzeZeilen = 100;

// One line of a buffer: the text before the first LF, less a CR directly before it, and the
// offset just behind that LF. No line when a zero byte or the end comes before any LF.
struct TPufferZeile {
    std::string_view text;
    std::size_t ende = 0;
};
std::optional<TPufferZeile> zeileFinden(std::string_view puffer);

enum class TKopfStand : uint8_t {
    unvollstaendig, // the buffer ends before the header does
    vollstaendig,   // an empty line ended the header; the rest of the buffer is body
    ohneKopf,       // a line starting with "<html>" in any case: body from that line on
    zuVieleZeilen,  // beyond kopfGrenzeZeilen
    zuVieleBytes,   // beyond kopfGrenzeBytes
};

// What has been taken of one response's header so far.
struct TKopfZaehler {
    std::size_t bytes = 0;
    int zeilen = 0;
};

struct TKopfTeil {
    TKopfStand stand = TKopfStand::unvollstaendig;
    // Bytes of the buffer the lines below and, when vollstaendig, the empty line took.
    std::size_t verbraucht = 0;
    // The header lines found, in order, each with the offset behind its LF; never the empty
    // line, nor the "<html>" line, nor a line beyond the bounds.
    std::vector<TPufferZeile> zeilen;
};

// Splits the start of the buffer into header lines; zaehler counts across the calls of one
// response and is advanced by what was found.
TKopfTeil kopfZerlegen(std::string_view puffer, TKopfZaehler& zaehler);

// What one non-empty header line says.
struct TKopfFeld {
    enum Art : uint8_t { status, feld, sonstige } art = sonstige;
    std::string_view code;  // status: characters 10 to 12
    std::string_view grund; // status: from character 14 on
    std::string name;       // feld: before the first ":", lower-cased
    std::string_view wert;  // feld: after it, leading blanks skipped but never the last char
};
TKopfFeld kopfFeldDeuten(std::string_view zeile);

// ASCII lower case.
std::string kleinSchreiben(std::string_view text);
