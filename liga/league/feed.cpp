// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "feed.h"
#include "local_time.h"
#include "zeittext.h"

namespace liga {

std::string jsonString(std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7f || c == '<' || c == '>' || c == '&') {
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string renderFeed(const Boards& boards) {
    std::string json = "{\"levels\": [";
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level) {
        const TStufe& s = festeStufe(level);
        if (level > stufeAnfaenger) json += ",";
        json += "\n {\"level\": " + std::to_string(level) + ", \"name\": " + jsonString(s.name) +
                ", \"width\": " + std::to_string(s.breite) +
                ", \"height\": " + std::to_string(s.hoehe) +
                ", \"mines\": " + std::to_string(s.minen) + ", \"rows\": [";
        bool first = true;
        for (const BoardRow& r : boards[festeStufeIndex(level)]) {
            json += first ? "\n  " : ",\n  ";
            first = false;
            json += "{\"place\": " + std::to_string(r.place) + ", \"name\": " + jsonString(r.name) +
                    ", \"tenths\": " + std::to_string(r.tenths) +
                    ", \"time\": " + jsonString(zeitText(r.tenths)) +
                    ", \"date\": " + jsonString(dateText(r.receivedAt)) + "}";
        }
        json += "]}";
    }
    json += "\n]}\n";
    return json;
}

} // namespace liga
