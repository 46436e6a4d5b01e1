// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One code that waits in the spool for the store, as a line of a spool file, and the
// reading of such a file, whatever a crash left of its end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace liga {

// A valid code the store could not take when it came.
struct SpoolRecord {
    int64_t arrivedAt = 0; // seconds since 1970, UTC: its entry's time of receipt
    std::string code;      // the 64 characters 0-9, A-F
    std::string client;    // the key its client is counted under; "-" for none
};

// "W 1765280000 <code> 192.0.2.7 <checksum>\n": W while it waits, D once stored. The mark
// is the line's first byte, so that it is changed in place by writing that byte alone;
// the checksum covers the rest, so that a line a crash cut short or garbled is seen.
constexpr char waitingMark = 'W';
constexpr char storedMark = 'D';
std::string spoolLine(const SpoolRecord& record);

// A client key as a line holds it: at most 64 of 0-9 A-Z a-z . : / - [ ], others as '_'.
std::string spoolClient(std::string_view client);

struct SpoolLine {
    std::size_t offset = 0; // of its mark in the file
    bool stored = false;
    SpoolRecord record;
};

struct SpoolContents {
    std::vector<SpoolLine> lines; // every whole, intact line, in order
    std::size_t whole = 0;        // bytes up to the end of the last line that ended
};

// Reads a spool file's bytes. A line without its line end (the last one a crash cut
// short) and any line whose fields or checksum do not hold are left out.
SpoolContents parseSpool(std::string_view bytes);

} // namespace liga
