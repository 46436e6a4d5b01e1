// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Saves the settings file over and over, for the kill test in speichern_abbrechen.sh:
// every save alternates between two records that differ in every field, so a file that
// holds neither of them whole shows a torn save.
//
//     speichern_dauerlauf <file>                 saves until killed
//     speichern_dauerlauf --muster <a> <b>       writes the two records' bytes to a and b
#include "einstellungendatei.h"
#include "iofehler.h"
#include "stufen.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

TEinstellungen satz(int welcher) {
    TEinstellungen e;
    einstellungenVorgaben(e);
    e.stufe = welcher == 0 ? 2 : 6;
    e.feldHoehe = welcher == 0 ? 16 : 40;
    e.feldBreite = welcher == 0 ? 16 : 60;
    e.feldMinen = welcher == 0 ? 40 : 500;
    e.merkerAn = static_cast<uint8_t>(welcher);
    for (int32_t stufe = stufeAnfaenger; stufe <= stufeWahnsinn; ++stufe) {
        e.bestzeit(stufe).name.setzen(welcher == 0 ? "Erster_Satz    " : "ZWEITER-SATZ!  ");
        e.bestzeit(stufe).zeit = welcher == 0 ? 1111 * stufe : 77777 * stufe;
    }
    return e;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--muster") == 0) {
        for (int i = 0; i < 2; ++i) {
            const auto b = einstellungenKodieren(satz(i));
            std::ofstream(argv[2 + i], std::ios::binary)
                .write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: speichern_dauerlauf <file> | --muster <a> <b>\n");
        return 2;
    }
    for (unsigned long n = 0;; ++n) {
        if (const int code = einstellungenSchreiben(argv[1], satz(static_cast<int>(n % 2)))) {
            std::fprintf(stderr, "save %lu: %s\n", n, ioFehlerText(code).c_str());
            return 1;
        }
    }
}
