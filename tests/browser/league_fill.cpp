// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Fills a league for the browser run: a few hundred names over the last 400 days on every
// level, names with every character a name may hold, a player with many entries, and
// entries that are held, rejected, removed or of a barred name, which no page may show.
//   league_fill DB        (an SQLite file or a PostgreSQL URI, as zundel-liga --db takes it)
#include "open_store.h"

#include <cstdio>
#include <ctime>
#include <iostream>

namespace {

std::string code(int n) {
    char text[65];
    std::snprintf(text, sizeof text, "%064X", static_cast<unsigned>(n));
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: league_fill DB\n";
        return 2;
    }
    try {
        const std::unique_ptr<liga::Store> store = liga::openStore(argv[1], 2);
        const int64_t now = static_cast<int64_t>(std::time(nullptr));
        const int64_t day = 86400;
        int n = 1;
        const auto add = [&](const std::string& name, int32_t level, int32_t tenths, int64_t at,
                             bool held = false) {
            store->submit({name, level, tenths, at, code(n++), held});
        };
        const char* special[] = {"Ab/cd?ef#(1)",   "x=y,[z]_!",     "Kurt(der)Flinke",
                                 "Max.Mustermann", "a-b.c_d/e?f#g", "Zundelmeister"};
        uint32_t seed = 12345;
        const auto draw = [&](uint32_t range) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % range;
        };
        for (int i = 0; i < 240; ++i) {
            const std::string name =
                i < 6 ? special[i] : "Spieler_" + std::to_string(1000 + i * 7 % 900);
            // Each name plays for a while and gets faster: one to six entries per level.
            const int64_t start = now - static_cast<int64_t>(draw(400)) * day;
            for (int32_t level = 1; level <= 5; ++level) {
                if (level > 1 && draw(3) == 0) continue;
                int32_t tenths = 120 * level * level + static_cast<int32_t>(draw(600u * level));
                int64_t at = start + static_cast<int64_t>(draw(86400));
                for (int k = 0, entries = 1 + static_cast<int>(draw(6)); k < entries && at < now;
                     ++k) {
                    add(name, level, tenths, at);
                    tenths -= static_cast<int32_t>(draw(static_cast<uint32_t>(tenths / 6 + 1)));
                    at += static_cast<int64_t>(draw(40)) * day + static_cast<int64_t>(draw(day));
                }
            }
        }
        // Many entries, so that a player's list has pages.
        for (int k = 0; k < 130; ++k)
            add("Vielspieler", 1 + k % 5, 3000 - k * 7, now - (130 - k) * day / 2);
        // None of these may show anywhere.
        add("Versteckt_Held", 3, 100, now - day, true);
        store->submit({"Versteckt_Nein", 3, 101, now - day, code(900001), true});
        store->moderate(liga::Moderation::reject, code(900001), now);
        store->submit({"Versteckt_Weg", 3, 102, now - day, code(900002)});
        store->moderate(liga::Moderation::remove, code(900002), now);
        for (int32_t level = 1; level <= 5; ++level)
            add("Versteckt_Bann", level, 90 * level, now - day);
        store->moderate(liga::Moderation::ban, "Versteckt_Bann", now);
        std::cout << n - 1 << " entries\n";
    } catch (const std::exception& e) {
        std::cerr << "league_fill: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
