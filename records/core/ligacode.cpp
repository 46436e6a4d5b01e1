#include "ligacode.h"

#include <array>
#include <cstdint>

namespace {

constexpr std::size_t blockLaenge = 30;
constexpr std::size_t nameLaenge = 15;

void hexAnhaengen(std::string& text, uint8_t byte) {
    static constexpr char ziffern[] = "0123456789ABCDEF";
    text += ziffern[byte >> 4];
    text += ziffern[byte & 0x0F];
}

} // namespace

std::string getcode(std::string_view name, int32_t zeit, int32_t stufe, const TZufallsZug& random) {
    // Only advances the generator, so that the filler differs with the time.
    for (int32_t i = 0; i < zeit; ++i) random(1000);

    std::array<uint8_t, blockLaenge> block{};
    for (uint8_t& b : block) b = static_cast<uint8_t>(random(250) + 3);

    // The name backwards on the even positions; a short name counts as padded with
    // blanks, as the name entry hands it back.
    for (std::size_t j = 0; j < nameLaenge; ++j) {
        const std::size_t k = nameLaenge - 1 - j; // character 15-j, counted from 0
        block[2 * j] = k < name.size() ? static_cast<uint8_t>(name[k]) : uint8_t{' '};
    }

    // The product wraps as a signed 32-bit integer would.
    const int32_t produkt =
        static_cast<int32_t>(static_cast<uint32_t>(stufe) * static_cast<uint32_t>(zeit));
    // A product of 0 (no time) would divide by zero; such a code carries check value 0.
    const int32_t pruefwert = produkt == 0
                                  ? 0
                                  : static_cast<int32_t>(static_cast<double>(ligaPruefKonstante) /
                                                         static_cast<double>(produkt));

    // div and mod truncate toward zero; the position keeps the low byte.
    block[5] = static_cast<uint8_t>(zeit % 256);
    block[15] = static_cast<uint8_t>((zeit / 256) % 256);
    block[11] = static_cast<uint8_t>(stufe % 256);
    block[9] = static_cast<uint8_t>(pruefwert % 256);
    block[21] = static_cast<uint8_t>((pruefwert / 256) % 256);

    unsigned summe = 0;
    for (uint8_t b : block) summe += b;
    const uint8_t s = static_cast<uint8_t>(summe % 256);

    const uint8_t r = static_cast<uint8_t>(random(256));

    std::string text;
    text.reserve(64);
    for (std::size_t p = 0; p < blockLaenge; ++p) {
        if (p == 7) hexAnhaengen(text, r);  // characters 15-16
        if (p == 10) hexAnhaengen(text, s); // characters 23-24
        hexAnhaengen(text, static_cast<uint8_t>(block[p] + (p + 1) * r));
    }
    return text;
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
