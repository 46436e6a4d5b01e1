// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The settings reader and decoder on arbitrary bytes, and the name conversions on what
// the names hold.
#include "cp1252.h"
#include "einstellungendatei.h"
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// One in-memory file, reused for every input, read through its /proc path.
struct TSpeicherDatei {
    int fd = ::memfd_create("zundrec.dat", MFD_CLOEXEC);
    std::string pfad = "/proc/self/fd/" + std::to_string(fd);
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* daten, std::size_t groesse) {
    static TSpeicherDatei datei;
    if (datei.fd < 0) std::abort();
    if (::ftruncate(datei.fd, 0) != 0) std::abort();
    if (groesse > 0 && ::pwrite(datei.fd, daten, groesse, 0) != static_cast<ssize_t>(groesse))
        std::abort();

    TEinstellungen e;
    e.stufe = -99;
    const bool gelesen = einstellungenLesen(datei.pfad, e);
    if (gelesen != (groesse >= TEinstellungen::dateiGroesse && e.stufe >= 1 && e.stufe <= 6))
        std::abort();
    if (!gelesen && e.stufe != -99) std::abort(); // a failed read leaves the record alone

    if (groesse >= TEinstellungen::dateiGroesse) {
        std::span<const uint8_t, TEinstellungen::dateiGroesse> satz(daten,
                                                                    TEinstellungen::dateiGroesse);
        const TEinstellungen d = einstellungenDekodieren(satz);
        const auto zurueck = einstellungenKodieren(d);
        for (std::size_t i = 0; i < zurueck.size(); ++i)
            if (zurueck[i] != daten[i]) std::abort();
        for (const Tbestzeit& b : d.bestzeiten) {
            const std::string name = b.name.text();
            if (name.size() > 15) std::abort();
            if (utf8NachCp1252(cp1252NachUtf8(name)) != name) std::abort();
        }
    }
    // Whatever arrives as UTF-8 converts without running past its end.
    const std::string roh(reinterpret_cast<const char*>(daten), groesse);
    if (utf8NachCp1252(roh).size() > roh.size()) std::abort();
    return 0;
}
