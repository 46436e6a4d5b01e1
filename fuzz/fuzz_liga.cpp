// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league server's code decoder and request handler on arbitrary bytes.
// Input: a mode byte, then
//   0: the rest is a code text for the decoder;
//   1: values for getcode (level, time, change position, change value, name bytes): a
//      genuine code, then one character changed, which the decoder must refuse;
//   2: a request: method, path, code and client, separated by line feeds;
//   3: values as in 1 and a client byte: the genuine code through the handler, as the game
//      sends it, then the league page.
#include "handler.h"
#include "ligacode.h"
#include "namenszeichen.h"
#include "rate_limit.h"
#include "sqlite_store.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

void pruefen(bool bedingung) {
    if (!bedingung) __builtin_trap();
}

void urteilPruefen(const TCodePruefung& p) {
    if (p.befund != TCodeBefund::gut) return;
    pruefen(p.stufe >= 1 && p.stufe <= 5 && p.zeit > 0);
    pruefen(p.name.size() >= kuerzesterName && p.name.size() <= laengsterName);
    for (char c : p.name) pruefen(namenszeichenErlaubt(static_cast<unsigned char>(c)));
}

// A league in memory, made afresh now and then so that the stored codes stay few.
struct TLiga {
    liga::SqliteStore store{":memory:"};
    liga::RateLimiter drossel{3, 8};
    liga::League league{store, drossel};
    int64_t uhrMs = 0;
};

TLiga& testLiga() {
    static std::unique_ptr<TLiga> l;
    static int laeufe = 0;
    if (!l || ++laeufe % 20000 == 0) l = std::make_unique<TLiga>();
    return *l;
}

void antwortPruefen(const liga::Request& r, const liga::Response& antwort) {
    pruefen(antwort.status == 200 || antwort.status == 404 || antwort.status == 405 ||
            antwort.status == 413 || antwort.status == 431);
    if (antwort.status != 200) return;
    const std::string_view a = antwort.body;
    if (r.path == "/rekord.php")
        pruefen(a.starts_with("Platz ") || a.starts_with("Diese Zeit") ||
                a.starts_with("Nicht eingetragen: "));
    else
        pruefen(a.starts_with("<!DOCTYPE html>") && a.ends_with("</html>\n"));
}

std::string_view teil(std::string_view& rest) {
    const std::size_t ende = rest.find('\n');
    const std::string_view t = rest.substr(0, ende);
    rest = ende == std::string_view::npos ? std::string_view() : rest.substr(ende + 1);
    return t;
}

// A code as the game builds it from the first values of the input.
std::string echterCode(std::string_view rest) {
    const auto b = [&](std::size_t i) { return static_cast<uint8_t>(rest[i]); };
    const int32_t stufe = b(0) % 7;
    const int32_t zeit = b(1) | b(2) << 8; // getcode draws once per tenth
    return getcode(rest.substr(5, 15), zeit, stufe, [&](int32_t n) {
        return static_cast<int32_t>((b(1) * 31u + b(2) * 7u + b(3) + 3u) %
                                    static_cast<uint32_t>(n));
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    TLiga& l = testLiga();
    l.uhrMs += 1000;
    liga::Request r;
    r.unixSeconds = 1700000000;
    switch (data[0] % 4) {
    case 0:
        urteilPruefen(ligacodePruefen(rest));
        return 0;
    case 1: {
        if (rest.size() < 5) return 0;
        std::string code = echterCode(rest);
        urteilPruefen(ligacodePruefen(code));
        const std::size_t stelle = static_cast<uint8_t>(rest[3]) % code.size();
        const char neu = "0123456789ABCDEF"[static_cast<uint8_t>(rest[4]) % 16];
        if (neu == code[stelle]) return 0;
        code[stelle] = neu;
        pruefen(ligacodePruefen(code).befund != TCodeBefund::gut);
        return 0;
    }
    case 2: {
        std::string_view felder = rest;
        r.method = teil(felder);
        r.path = teil(felder);
        if (!felder.empty()) r.code = std::string(teil(felder));
        r.client = teil(felder);
        r.headerCount = size % 80;
        r.steadyMs = l.uhrMs;
        antwortPruefen(r, l.league.handle(r));
        return 0;
    }
    default: {
        if (rest.size() < 5) return 0;
        r.method = "GET";
        r.path = "/rekord.php";
        r.code = echterCode(rest);
        r.client = "192.0.2." + std::to_string(static_cast<uint8_t>(rest[4]) % 16);
        r.steadyMs = l.uhrMs;
        antwortPruefen(r, l.league.handle(r));
        r.path = "/";
        antwortPruefen(r, l.league.handle(r));
        return 0;
    }
    }
}
