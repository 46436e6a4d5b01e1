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
constexpr std::size_t headerMaxBytes = 64 * 1024;
constexpr int headerMaxLines = 100;

// One line of a buffer: the text before the first LF, less a CR directly before it, and the
// offset just behind that LF. No line when a zero byte or the end comes before any LF.
struct TBufferLine {
    std::string_view text;
    std::size_t end = 0;
};
std::optional<TBufferLine> findLine(std::string_view buffer);

enum class THeaderState : uint8_t {
    incomplete,   // the buffer ends before the header does
    complete,     // an empty line ended the header; the rest of the buffer is body
    noHeader,     // a line starting with "<html>" in any case: body from that line on
    tooManyLines, // beyond headerMaxLines
    tooManyBytes, // beyond headerMaxBytes
};

// What has been taken of one response's header so far.
struct THeaderCount {
    std::size_t bytes = 0;
    int lines = 0;
};

struct THeaderPart {
    THeaderState state = THeaderState::incomplete;
    // Bytes of the buffer the lines below and, when complete, the empty line took.
    std::size_t consumed = 0;
    // The header lines found, in order, each with the offset behind its LF; never the empty
    // line, nor the "<html>" line, nor a line beyond the bounds.
    std::vector<TBufferLine> lines;
};

// Splits the start of the buffer into header lines; `count` runs across the calls of one
// response and is advanced by what was found.
THeaderPart splitHeader(std::string_view buffer, THeaderCount& count);

// What one non-empty header line says.
struct THeaderLine {
    enum Kind : uint8_t { status, field, other } kind = other;
    std::string_view code;   // status: characters 10 to 12
    std::string_view reason; // status: from character 14 on
    std::string name;        // field: before the first ":", lower-cased
    std::string_view value;  // field: after it, leading blanks skipped but never the last char
};
THeaderLine parseHeaderLine(std::string_view line);

// ASCII lower case.
std::string lowerCase(std::string_view text);
