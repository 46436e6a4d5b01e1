// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league answer as the best-times dialog takes it: split into lines, each converted from
// Windows-1252 to UTF-8.
#include "cp1252.h"
#include "ligacode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view antwort(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> zeilen = antwortLaden(antwort);

    // The lines are the answer without its line ends, nothing lost, nothing added, and
    // one line per end (CR LF counting once) plus a last one without an end.
    std::string ohneEnden, verbunden;
    std::size_t enden = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = antwort[i];
        if (c != '\r' && c != '\n') {
            ohneEnden += c;
            continue;
        }
        ++enden;
        if (c == '\r' && i + 1 < size && antwort[i + 1] == '\n') ++i;
    }
    const bool offenerRest = size > 0 && antwort.back() != '\r' && antwort.back() != '\n';
    if (zeilen.size() != enden + (offenerRest ? 1 : 0)) __builtin_trap();
    for (const std::string& z : zeilen) {
        if (z.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        verbunden += z;
        // Every byte has a character and comes back from it.
        const std::string utf8 = cp1252NachUtf8(z);
        if (utf8.size() < z.size() || utf8.size() > 3 * z.size()) __builtin_trap();
        if (utf8NachCp1252(utf8) != z) __builtin_trap();
    }
    if (verbunden != ohneEnden) __builtin_trap();
    return 0;
}
