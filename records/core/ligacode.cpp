// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ligacode.h"
#include "namenszeichen.h"
#include "stufen.h"

#include <array>
#include <cstdint>
#include <limits>

namespace {

constexpr std::size_t blockLaenge = TLigacode::blockLaenge;
constexpr std::size_t codeLaenge = 64;
constexpr std::array<std::size_t, 10> fuellerStellen = {1, 3, 7, 13, 17, 19, 23, 25, 27, 29};

void hexAnhaengen(std::string& text, uint8_t byte) {
    static constexpr char ziffern[] = "0123456789ABCDEF";
    text += ziffern[byte >> 4];
    text += ziffern[byte & 0x0F];
}

int hexWert(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The name without its padding, or nothing when it is not 6 to 15 allowed characters
// followed by blanks up to 15.
std::optional<std::string> nameOhnePolster(const std::string& name) {
    std::size_t n = name.size();
    while (n > 0 && name[n - 1] == ' ') --n;
    if (name.size() != laengsterName || n < kuerzesterName) return std::nullopt;
    for (std::size_t i = 0; i < n; ++i)
        if (!namenszeichenErlaubt(static_cast<unsigned char>(name[i]))) return std::nullopt;
    return name.substr(0, n);
}

} // namespace

int32_t ligaPruefwert(int32_t zeit, int32_t stufe) {
    // The product wraps as a signed 32-bit integer would.
    const int32_t produkt =
        static_cast<int32_t>(static_cast<uint32_t>(stufe) * static_cast<uint32_t>(zeit));
    // A product of 0 (no time) would divide by zero; such a code carries check value 0.
    if (produkt == 0) return 0;
    return static_cast<int32_t>(static_cast<double>(ligaPruefKonstante) /
                                static_cast<double>(produkt));
}

std::string getcode(std::string_view name, int32_t zeit, int32_t stufe, const TZufallsZug& random) {
    // Only advances the generator, so that the filler differs with the time.
    for (int32_t i = 0; i < zeit; ++i) random(1000);

    TLigacode c;
    for (uint8_t& b : c.block) b = static_cast<uint8_t>(random(250) + 3);

    // The name backwards on the even positions; a short name counts as padded with
    // blanks, as the name entry hands it back.
    for (std::size_t j = 0; j < laengsterName; ++j) {
        const std::size_t k = laengsterName - 1 - j; // character 15-j, counted from 0
        c.block[2 * j] = k < name.size() ? static_cast<uint8_t>(name[k]) : uint8_t{' '};
    }
    c.festeFelderSetzen(zeit, stufe);
    c.pruefsumme = c.summe();
    c.maske = static_cast<uint8_t>(random(256));
    return ligacodeText(c);
}

std::string TLigacode::name() const {
    std::string n;
    for (std::size_t j = laengsterName; j-- > 0;) n += static_cast<char>(block[2 * j]);
    return n;
}

void TLigacode::festeFelderSetzen(int32_t zeit, int32_t stufe) {
    // div and mod truncate toward zero; each position keeps the low byte.
    const int32_t pruefwert = ligaPruefwert(zeit, stufe);
    block[5] = static_cast<uint8_t>(zeit % 256);
    block[15] = static_cast<uint8_t>((zeit / 256) % 256);
    block[11] = static_cast<uint8_t>(stufe % 256);
    block[9] = static_cast<uint8_t>(pruefwert % 256);
    block[21] = static_cast<uint8_t>((pruefwert / 256) % 256);
}

uint8_t TLigacode::summe() const {
    unsigned s = 0;
    for (uint8_t b : block) s += b;
    return static_cast<uint8_t>(s % 256);
}

bool TLigacode::fuellerGut() const {
    for (std::size_t p : fuellerStellen)
        if (block[p] < 3 || block[p] > 252) return false;
    return true;
}

std::string ligacodeText(const TLigacode& c) {
    std::string text;
    text.reserve(codeLaenge);
    for (std::size_t p = 0; p < blockLaenge; ++p) {
        if (p == 7) hexAnhaengen(text, c.maske);       // characters 15-16
        if (p == 10) hexAnhaengen(text, c.pruefsumme); // characters 23-24
        hexAnhaengen(text, static_cast<uint8_t>(c.block[p] + (p + 1) * c.maske));
    }
    return text;
}

std::optional<TLigacode> ligacodeLesen(std::string_view code) {
    if (code.size() != codeLaenge) return std::nullopt;
    std::array<uint8_t, codeLaenge / 2> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int hoch = hexWert(code[2 * i]);
        const int tief = hexWert(code[2 * i + 1]);
        if (hoch < 0 || tief < 0) return std::nullopt;
        bytes[i] = static_cast<uint8_t>(hoch << 4 | tief);
    }
    // Bytes 7 and 11 of the text are r and s; the masked block stands around them.
    TLigacode c;
    c.maske = bytes[7];
    c.pruefsumme = bytes[11];
    std::size_t q = 0;
    for (std::size_t p = 0; p < blockLaenge; ++p) {
        if (q == 7 || q == 11) ++q;
        c.block[p] = static_cast<uint8_t>(bytes[q++] - (p + 1) * c.maske);
    }
    return c;
}

TCodePruefung ligacodePruefen(std::string_view text) {
    TCodePruefung ergebnis;
    const std::optional<TLigacode> code = ligacodeLesen(text);
    if (!code) return ergebnis;
    const auto befund = [&](TCodeBefund b) {
        ergebnis.befund = b;
        return ergebnis;
    };
    if (code->summe() != code->pruefsumme) return befund(TCodeBefund::pruefsumme);
    if (!code->fuellerGut()) return befund(TCodeBefund::fueller);
    const int32_t stufe = code->stufe();
    if (!istFesteStufe(stufe)) return befund(TCodeBefund::stufe);
    const std::optional<std::string> name = nameOhnePolster(code->name());
    if (!name) return befund(TCodeBefund::name);

    // Only the time's two low bytes travel. Try every whole time with those bytes whose
    // product with the level stays a 32-bit number; the check value must fit exactly. From
    // 65536 tenths on, the check value is below 80 and falls as the time grows, so the
    // search ends once it is below the one sent; two fits mean the time cannot be told.
    // Low bytes and check value of 0 are what a time of 0 packs; the long times that share
    // them cannot be told apart anyway.
    if (code->zeitUnten() == 0 && code->pruefwertUnten() == 0)
        return befund(TCodeBefund::keineZeit);
    int fits = 0;
    int32_t zeit = 0;
    const int64_t groessteZeit = std::numeric_limits<int32_t>::max() / stufe;
    for (int64_t z = code->zeitUnten(); z <= groessteZeit && fits < 2; z += 65536) {
        if (z == 0) continue;
        TLigacode erwartet = *code;
        erwartet.festeFelderSetzen(static_cast<int32_t>(z), stufe);
        if (erwartet.block == code->block) {
            ++fits;
            zeit = static_cast<int32_t>(z);
        } else if (z >= 65536 &&
                   ligaPruefwert(static_cast<int32_t>(z), stufe) < code->pruefwertUnten()) {
            break;
        }
    }
    if (fits == 0) return befund(TCodeBefund::pruefwert);
    if (fits > 1) return befund(TCodeBefund::zeitMehrdeutig);
    ergebnis.name = *name;
    ergebnis.zeit = zeit;
    ergebnis.stufe = stufe;
    return befund(TCodeBefund::gut);
}

std::vector<std::string> antwortLaden(std::string_view antwort) {
    std::vector<std::string> zeilen;
    std::size_t anfang = 0;
    std::size_t i = 0;
    while (i < antwort.size()) {
        const char c = antwort[i];
        if (c == '\r' || c == '\n') {
            zeilen.emplace_back(antwort.substr(anfang, i - anfang));
            if (c == '\r' && i + 1 < antwort.size() && antwort[i + 1] == '\n') ++i;
            anfang = ++i;
        } else {
            ++i;
        }
    }
    if (anfang < antwort.size()) zeilen.emplace_back(antwort.substr(anfang));
    return zeilen;
}
