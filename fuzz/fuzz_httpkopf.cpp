// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The response-header parser on arbitrary bytes, arriving in arbitrary pieces.
// Input: repeated (length byte, repeat byte, that many bytes): the bytes are appended to the
// buffer 1 + repeat times, so a header can outgrow its bounds; a length of 0 stands for 256.
#include "httpkopf.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string puffer;
    TKopfZaehler zaehler;
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
        }
        puffer.erase(0, teil.verbraucht);
        if (teil.stand != TKopfStand::unvollstaendig) {
            // The next response.
            puffer.clear();
            zaehler = {};
        }
    }
    return 0;
}
