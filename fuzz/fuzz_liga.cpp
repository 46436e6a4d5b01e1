// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league server's code decoder and request handler on arbitrary bytes.
// Input: a mode byte, then
//   0: the rest is a code text for the decoder;
//   1: values for getcode (level, time, change position, change value, name bytes): a
//      genuine code, then one character changed, which the decoder must refuse;
//   2: a request: method, path, code, client, X-Forwarded-For, query, If-None-Match and
//      If-Modified-Since, separated by line feeds (the last three may be left out);
//      127.0.0.1 is a proxy;
//   3: values as in 1 and a client byte: the genuine code through the handler, as the game
//      sends it, then the league page and its feed;
//   4: names, separated by line feeds, on the boards of the feed, which must read back;
//   5: a peer byte and an X-Forwarded-For value for the proxy rule;
//   6: the bytes of a spool file, whatever a crash left of it;
//   7: an HTTP date and an If-None-Match value, separated by a line feed.
#include "conditional.h"
#include "feed.h"
#include "forwarded_for.h"
#include "handler.h"
#include "ligacode.h"
#include "namenszeichen.h"
#include "percent_coding.h"
#include "rate_limit.h"
#include "spool_record.h"
#include "sqlite_store.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
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
const std::vector<in6_addr> proxies = {*liga::parseAddress("127.0.0.1")};

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
    pruefen(antwort.status == 200 || antwort.status == 304 || antwort.status == 404 ||
            antwort.status == 405 || antwort.status == 413 || antwort.status == 431);
    const std::string_view a = antwort.text();
    if (antwort.status == 304) pruefen(a.empty());
    if (antwort.status != 200) return;
    const std::string_view art = antwort.contentType;
    if (r.path == "/rekord.php")
        pruefen(a.starts_with("Platz ") || a.starts_with("Diese Zeit") ||
                a.starts_with("Ihre Zeit ") || a.starts_with("Nicht eingetragen: ") ||
                (r.method == "HEAD" && a.find(", ") != std::string_view::npos));
    else if (r.path == "/liga.json")
        pruefen(a.starts_with("{\"levels\": [") && a.ends_with("]}\n"));
    else if (art.starts_with("application/json"))
        pruefen(a.starts_with("{") && a.ends_with("}\n"));
    else if (art.starts_with("application/atom+xml"))
        pruefen(a.starts_with("<?xml") && a.ends_with("</feed>\n"));
    else if (art == "image/png")
        pruefen(a.starts_with("\x89PNG"));
    else
        pruefen(a.starts_with("<!DOCTYPE html>") && a.ends_with("</html>\n"));
}

// A query's arguments as the HTTP layer hands them over: split at "&" and "=", each part
// decoded; undecodable parts are kept as they came.
std::vector<std::pair<std::string, std::string>> argumente(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> out;
    const auto decoded = [](std::string_view t) {
        return liga::percentDecode(t, true).value_or(std::string(t));
    };
    while (!query.empty()) {
        const std::size_t und = query.find('&');
        const std::string_view paar = query.substr(0, und);
        query = und == std::string_view::npos ? std::string_view() : query.substr(und + 1);
        const std::size_t gleich = paar.find('=');
        out.emplace_back(decoded(paar.substr(0, gleich)),
                         gleich == std::string_view::npos ? "" : decoded(paar.substr(gleich + 1)));
    }
    return out;
}

// The JSON string at the start of `t`, decoded as far as the feed writes strings; `t`
// moves behind it.
std::string jsonLesen(std::string_view& t) {
    pruefen(!t.empty() && t[0] == '"');
    std::string out;
    std::size_t i = 1;
    for (;; ++i) {
        pruefen(i < t.size());
        const auto c = static_cast<unsigned char>(t[i]);
        pruefen(c >= 0x20 && c != 0x7f && c != '<' && c != '>' && c != '&');
        if (c == '"') break;
        if (c != '\\') {
            out += static_cast<char>(c);
            continue;
        }
        pruefen(++i < t.size());
        if (t[i] == '"' || t[i] == '\\') {
            out += t[i];
            continue;
        }
        pruefen(t[i] == 'u' && i + 4 < t.size() && t.substr(i + 1, 2) == "00");
        const auto hex = [](char h) { return h <= '9' ? h - '0' : h - 'a' + 10; };
        out += static_cast<char>(hex(t[i + 3]) * 16 + hex(t[i + 4]));
        i += 4;
    }
    t.remove_prefix(i + 1);
    return out;
}

// The names of the feed's rows, in order.
std::vector<std::string> feedNamen(std::string_view json) {
    std::vector<std::string> namen;
    const std::string_view zeile = "{\"place\": ";
    for (std::size_t p = json.find(zeile); p != std::string_view::npos; p = json.find(zeile)) {
        json.remove_prefix(p + zeile.size());
        const std::size_t name = json.find("\"name\": ");
        pruefen(name != std::string_view::npos);
        json.remove_prefix(name + 8);
        namen.push_back(jsonLesen(json));
    }
    return namen;
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
    switch (data[0] % 8) {
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
        r.peer = liga::parseAddress(teil(felder));
        r.forwardedFor = teil(felder);
        if (!felder.empty()) r.arguments = argumente(teil(felder));
        if (!felder.empty()) r.ifNoneMatch = std::string(teil(felder));
        if (!felder.empty()) r.ifModifiedSince = std::string(teil(felder));
        if (r.peer) r.client = liga::clientBehindProxies(*r.peer, r.forwardedFor, proxies);
        r.headerCount = size % 80;
        r.steadyMs = l.uhrMs;
        antwortPruefen(r, l.league.handle(r));
        return 0;
    }
    case 3: {
        if (rest.size() < 5) return 0;
        r.method = "GET";
        r.path = "/rekord.php";
        r.code = echterCode(rest);
        r.client =
            *liga::parseAddress("192.0.2." + std::to_string(static_cast<uint8_t>(rest[4]) % 16));
        r.steadyMs = l.uhrMs;
        antwortPruefen(r, l.league.handle(r));
        r.path = "/";
        antwortPruefen(r, l.league.handle(r));
        r.path = "/liga.json";
        antwortPruefen(r, l.league.handle(r));
        return 0;
    }
    case 4: {
        liga::Boards boards;
        std::vector<std::string> namen;
        std::string_view felder = rest;
        for (int32_t i = 0; !felder.empty(); ++i) {
            namen.emplace_back(teil(felder));
            boards[namen.size() % boards.size()].push_back({i, namen.back(), i + 1, i});
        }
        std::vector<std::string> erwartet;
        for (const auto& b : boards)
            for (const liga::BoardRow& row : b) erwartet.push_back(row.name);
        pruefen(feedNamen(liga::renderFeed(boards)) == erwartet);
        return 0;
    }
    case 6: {
        // Every line read back is one the spool writes, byte for byte but for its mark.
        const liga::SpoolContents c = liga::parseSpool(rest);
        pruefen(c.whole <= rest.size() && (c.whole == 0 || rest[c.whole - 1] == '\n'));
        for (const liga::SpoolLine& l : c.lines) {
            const std::string line = liga::spoolLine(l.record);
            pruefen(l.offset + line.size() <= c.whole);
            pruefen(rest.substr(l.offset + 1, line.size() - 1) == std::string_view(line).substr(1));
            pruefen(rest[l.offset] == (l.stored ? liga::storedMark : liga::waitingMark));
        }
        return 0;
    }
    case 7: {
        std::string_view felder = rest;
        const std::string_view datum = teil(felder);
        // A date read back from its own writing is the same moment.
        if (const std::optional<int64_t> t = liga::parseHttpDate(datum))
            pruefen(liga::parseHttpDate(liga::httpDate(*t)) == t);
        // Without a quote or a star nothing in the list is a tag that could match.
        const bool passt = liga::etagListMatches(felder, "\"7\"");
        if (felder.find_first_of("\"*") == std::string_view::npos) pruefen(!passt);
        return 0;
    }
    default: {
        if (rest.empty()) return 0;
        in6_addr peer = proxies[0];
        peer.s6_addr[15] = static_cast<uint8_t>(rest[0]); // 127.0.0.x
        const in6_addr client = liga::clientBehindProxies(peer, rest.substr(1), proxies);
        // Only a proxy hands a client over; who it hands over is never the proxy itself,
        // unless the list named nobody else.
        if (std::memcmp(&peer, &proxies[0], sizeof peer) != 0)
            pruefen(std::memcmp(&client, &peer, sizeof peer) == 0);
        return 0;
    }
    }
}
