// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpkopf.h"

#include <cctype>

std::string kleinSchreiben(std::string_view text) {
    std::string k(text);
    for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

std::optional<TPufferZeile> zeileFinden(std::string_view puffer) {
    std::size_t i = 0;
    while (i < puffer.size() && puffer[i] != 0 && puffer[i] != '\n') ++i;
    if (i >= puffer.size() || puffer[i] != '\n') return std::nullopt;
    std::size_t laenge = i > 0 && puffer[i - 1] == '\r' ? i - 1 : i;
    return TPufferZeile{puffer.substr(0, laenge), i + 1};
}

TKopfTeil kopfZerlegen(std::string_view puffer, TKopfZaehler& zaehler) {
    TKopfTeil teil;
    for (;;) {
        std::string_view rest = puffer.substr(teil.verbraucht);
        std::optional<TPufferZeile> zeile = zeileFinden(rest);
        if (!zeile) {
            // A line without its end is bounded as well: it holds these bytes already.
            if (zaehler.bytes + rest.size() > kopfGrenzeBytes)
                teil.stand = TKopfStand::zuVieleBytes;
            return teil;
        }
        if (kleinSchreiben(zeile->text.substr(0, 6)) == "<html>") {
            teil.stand = TKopfStand::ohneKopf;
            return teil;
        }
        if (zaehler.bytes + zeile->ende > kopfGrenzeBytes) {
            teil.stand = TKopfStand::zuVieleBytes;
            return teil;
        }
        if (zeile->text.empty()) {
            zaehler.bytes += zeile->ende;
            teil.verbraucht += zeile->ende;
            teil.stand = TKopfStand::vollstaendig;
            return teil;
        }
        if (zaehler.zeilen >= kopfGrenzeZeilen) {
            teil.stand = TKopfStand::zuVieleZeilen;
            return teil;
        }
        zaehler.bytes += zeile->ende;
        ++zaehler.zeilen;
        teil.verbraucht += zeile->ende;
        zeile->ende = teil.verbraucht;
        teil.zeilen.push_back(*zeile);
    }
}

TKopfFeld kopfFeldDeuten(std::string_view zeile) {
    TKopfFeld f;
    std::string_view version = zeile.substr(0, 8);
    if (version == "HTTP/1.0" || version == "HTTP/1.1") {
        f.art = TKopfFeld::status;
        if (zeile.size() > 9) f.code = zeile.substr(9, 3);
        if (zeile.size() > 13) f.grund = zeile.substr(13);
        return f;
    }
    std::size_t p = zeile.find(':');
    if (p == std::string_view::npos) return f;
    f.art = TKopfFeld::feld;
    f.name = kleinSchreiben(zeile.substr(0, p));
    std::size_t a = p + 1;
    while (a + 1 < zeile.size() && zeile[a] == ' ') ++a;
    if (a < zeile.size()) f.wert = zeile.substr(a);
    return f;
}
