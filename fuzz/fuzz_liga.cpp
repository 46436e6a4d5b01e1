// The league server's code decoder and request handler on arbitrary bytes.
// Input: a mode byte, then
//   0: the rest is a code text for the decoder;
//   1: values for getcode (level, time, change position, change value, name bytes): a
//      genuine code, then one character changed, which the decoder must refuse;
//   2: a request: method, path, code and client, separated by line feeds.
#include "handler.h"
#include "ligacode.h"
#include "namenszeichen.h"
#include "rate_limit.h"
#include "sqlite_store.h"

#include <cstddef>
#include <cstdint>
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

liga::League& league() {
    static liga::SqliteStore store(":memory:");
    static liga::RateLimiter drossel(1000000, 64);
    static liga::League league(store, drossel);
    return league;
}

std::string_view teil(std::string_view& rest) {
    const std::size_t ende = rest.find('\n');
    const std::string_view t = rest.substr(0, ende);
    rest = ende == std::string_view::npos ? std::string_view() : rest.substr(ende + 1);
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0:
        urteilPruefen(ligacodePruefen(rest));
        break;
    case 1: {
        if (rest.size() < 5) return 0;
        const auto b = [&](std::size_t i) { return static_cast<uint8_t>(rest[i]); };
        const int32_t stufe = b(0) % 7;
        const int32_t zeit = b(1) | b(2) << 8; // getcode draws once per tenth
        std::string code = getcode(rest.substr(5, 15), zeit, stufe, [&](int32_t n) {
            return static_cast<int32_t>((b(1) * 31u + b(2) * 7u + 3u) % static_cast<uint32_t>(n));
        });
        urteilPruefen(ligacodePruefen(code));
        const std::size_t stelle = b(3) % code.size();
        const char neu = "0123456789ABCDEF"[b(4) % 16];
        if (neu == code[stelle]) return 0;
        code[stelle] = neu;
        pruefen(ligacodePruefen(code).befund != TCodeBefund::gut);
        break;
    }
    default: {
        std::string_view felder = rest;
        liga::Request r;
        r.method = teil(felder);
        r.path = teil(felder);
        if (!felder.empty()) r.code = std::string(teil(felder));
        r.client = teil(felder);
        r.headerCount = size % 80;
        r.steadyMs = static_cast<int64_t>(size) * 1000;
        r.unixSeconds = 1700000000;
        const liga::Response antwort = league().handle(r);
        pruefen(antwort.status == 200 || antwort.status == 404 || antwort.status == 405 ||
                antwort.status == 413 || antwort.status == 431);
        if (antwort.status == 200 && r.path == "/rekord.php") {
            const std::string_view a = antwort.body;
            pruefen(a.starts_with("Platz ") || a.starts_with("Diese Zeit") ||
                    a.starts_with("Nicht eingetragen: "));
        }
        break;
    }
    }
    return 0;
}
