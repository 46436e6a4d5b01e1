// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The response-header parser on arbitrary bytes, arriving in arbitrary pieces, and the
// redirect target of every Location line it finds, one after the other.
// Input: repeated (length byte, repeat byte, that many bytes): the bytes are appended to the
// buffer 1 + repeat times, so a header can outgrow its bounds; a length of 0 stands for 256.
#include "httpheader.h"
#include "redirect.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

const THttpTarget anfangsZiel{"liga.example", "80", "liga.example", "/rekord.php",
                              "http://liga.example/rekord.php"};

// A redirect keeps host and port for a path, takes the port only from the value, and
// builds no part longer than the longest it had and the value together.
void umleiten(THttpTarget& ziel, std::string_view wert) {
    const THttpTarget neu = redirectTarget(ziel, wert);
    if (!wert.empty() && wert.front() == '/' &&
        (neu.path != wert || neu.hostName != ziel.hostName || neu.port != ziel.port ||
         neu.targetHost != ziel.targetHost))
        __builtin_trap();
    if (neu.port != ziel.port && wert.find(neu.port) == std::string_view::npos) __builtin_trap();
    std::size_t laengstes = 0;
    for (const std::string* teil :
         {&ziel.hostName, &ziel.port, &ziel.targetHost, &ziel.path, &ziel.location})
        laengstes = std::max(laengstes, teil->size());
    for (const std::string* teil :
         {&neu.hostName, &neu.port, &neu.targetHost, &neu.path, &neu.location})
        if (teil->size() > laengstes + wert.size() + 16) __builtin_trap();
    ziel = neu;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string puffer;
    THeaderCount zaehler;
    THttpTarget ziel = anfangsZiel;
    std::size_t i = 0;
    while (i + 2 <= size) {
        std::size_t laenge = data[i] == 0 ? 256 : data[i];
        std::size_t mal = 1u + data[i + 1];
        i += 2;
        if (laenge > size - i) laenge = size - i;
        for (std::size_t k = 0; k < mal; ++k)
            puffer.append(reinterpret_cast<const char*>(data + i), laenge);
        i += laenge;

        const std::size_t vorher = zaehler.bytes;
        THeaderPart teil = splitHeader(puffer, zaehler);
        if (teil.consumed > puffer.size() || zaehler.bytes - vorher != teil.consumed)
            __builtin_trap();
        if (zaehler.lines > headerMaxLines || zaehler.bytes > headerMaxBytes) __builtin_trap();
        std::size_t ende = 0;
        for (const TBufferLine& z : teil.lines) {
            // Each line lies inside what was consumed, after the one before, without an LF.
            if (z.end <= ende || z.end > teil.consumed || z.text.empty()) __builtin_trap();
            if (z.text.data() != puffer.data() + ende) __builtin_trap();
            if (z.text.find('\n') != std::string_view::npos) __builtin_trap();
            ende = z.end;
            THeaderLine f = parseHeaderLine(z.text);
            if (f.kind == THeaderLine::field && f.name.size() >= z.text.size()) __builtin_trap();
            if (f.kind == THeaderLine::field && f.name == "location") umleiten(ziel, f.value);
        }
        puffer.erase(0, teil.consumed);
        if (teil.state != THeaderState::incomplete) {
            // The next response.
            puffer.clear();
            zaehler = {};
            ziel = anfangsZiel;
        }
    }
    return 0;
}
