// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The response-header parser on arbitrary bytes, arriving in arbitrary pieces, and the
// redirect target of every Location line it finds, one after the other.
// Input: repeated (length byte, repeat byte, that many bytes): the bytes are appended to the
// buffer 1 + repeat times, so a header can outgrow its bounds; a length of 0 stands for 256.
#include "httpkopf.h"
#include "umleitung.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

const THttpZiel anfangsZiel{"liga.example", "80", "liga.example", "/rekord.php",
                            "http://liga.example/rekord.php"};

// A redirect keeps host and port for a path, takes the port only from the value, and
// builds no part longer than the longest it had and the value together.
void umleiten(THttpZiel& ziel, std::string_view wert) {
    const THttpZiel neu = umleitungsZiel(ziel, wert);
    if (!wert.empty() && wert.front() == '/' &&
        (neu.pfad != wert || neu.hostName != ziel.hostName || neu.port != ziel.port ||
         neu.targetHost != ziel.targetHost))
        __builtin_trap();
    if (neu.port != ziel.port && wert.find(neu.port) == std::string_view::npos) __builtin_trap();
    std::size_t laengstes = 0;
    for (const std::string* teil :
         {&ziel.hostName, &ziel.port, &ziel.targetHost, &ziel.pfad, &ziel.location})
        laengstes = std::max(laengstes, teil->size());
    for (const std::string* teil :
         {&neu.hostName, &neu.port, &neu.targetHost, &neu.pfad, &neu.location})
        if (teil->size() > laengstes + wert.size() + 16) __builtin_trap();
    ziel = neu;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string puffer;
    TKopfZaehler zaehler;
    THttpZiel ziel = anfangsZiel;
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
        TKopfTeil teil = kopfZerlegen(puffer, zaehler);
        if (teil.verbraucht > puffer.size() || zaehler.bytes - vorher != teil.verbraucht)
            __builtin_trap();
        if (zaehler.zeilen > kopfGrenzeZeilen || zaehler.bytes > kopfGrenzeBytes) __builtin_trap();
        std::size_t ende = 0;
        for (const TPufferZeile& z : teil.zeilen) {
            // Each line lies inside what was consumed, after the one before, without an LF.
            if (z.ende <= ende || z.ende > teil.verbraucht || z.text.empty()) __builtin_trap();
            if (z.text.data() != puffer.data() + ende) __builtin_trap();
            if (z.text.find('\n') != std::string_view::npos) __builtin_trap();
            ende = z.ende;
            TKopfFeld f = kopfFeldDeuten(z.text);
            if (f.art == TKopfFeld::feld && f.name.size() >= z.text.size()) __builtin_trap();
            if (f.art == TKopfFeld::feld && f.name == "location") umleiten(ziel, f.wert);
        }
        puffer.erase(0, teil.verbraucht);
        if (teil.stand != TKopfStand::unvollstaendig) {
            // The next response.
            puffer.clear();
            zaehler = {};
            ziel = anfangsZiel;
        }
    }
    return 0;
}
