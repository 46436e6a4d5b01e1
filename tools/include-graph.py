#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints which layer folder of the game, and which room of the league server, includes
which, and every arrow that runs up.

    python3 tools/include-graph.py [ROOT]

A header is included by its plain file name; this finds the folder that holds it. The
layers are those of README's layout table, bottom to top: a layer may include only the
layers before it, and the engine and the records core not each other. Exits 1 when an
arrow runs up or sideways. The league's rooms (README) stand on basis and the records
core: the store and the HTTP layer side by side on liga/base, the league on both, the
operator's commands on the store, the spool on the store, the program on all; the folders below liga/store are
one room with it.
"""

import os
import re
import sys

SCHICHTEN = ["basis", "records/core", "app/engine", "render/core", "render/qt", "net/core",
             "net", "records/dialogs", "app/window"]
GESCHWISTER = {("app/engine", "records/core"), ("records/core", "app/engine")}
# Room -> the rooms it may include.
UNTEN = {schicht: set(SCHICHTEN[:i]) - {b for a, b in GESCHWISTER if a == schicht}
         for i, schicht in enumerate(SCHICHTEN)}
LIGA = {
    "liga/base": set(),
    "liga/store": {"basis", "records/core", "liga/base"},
    "liga/spool": {"basis", "records/core", "liga/base", "liga/store"},
    "liga/http": {"liga/base"},
    "liga/league": {"basis", "records/core", "liga/base", "liga/store", "liga/spool", "liga/http"},
    "liga/operator": {"basis", "records/core", "liga/base", "liga/store"},
    "liga": {"basis", "records/core", "liga/base", "liga/store", "liga/spool", "liga/http",
             "liga/league", "liga/operator"},
}
UNTEN.update(LIGA)
REIHE = SCHICHTEN + list(LIGA)


def raum(wurzel, ordner):
    """The layer or room of a folder: the folders below liga/store belong to it."""
    rel = os.path.relpath(ordner, wurzel)
    return "liga/store" if rel.startswith("liga/store") else rel
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main():
    wurzel = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    heim = {}  # header file name -> layer folder
    dateien = []
    ordner = [os.path.join(wurzel, s) for s in SCHICHTEN + list(LIGA)]
    ordner += [os.path.join(wurzel, "liga/store", d) for d in ("sqlite", "postgres")]
    for o in ordner:
        schicht = raum(wurzel, o)
        for name in sorted(os.listdir(o)):
            pfad = os.path.join(o, name)
            if not os.path.isfile(pfad) or not name.endswith((".h", ".cpp")):
                continue
            dateien.append((schicht, pfad))
            if name.endswith(".h"):
                heim[name] = schicht
    kanten = {}
    falsch = []
    for schicht, pfad in dateien:
        with open(pfad, encoding="utf-8") as f:
            for ziel in INCLUDE.findall(f.read()):
                nach = heim.get(os.path.basename(ziel))
                if nach is None or nach == schicht:
                    continue
                kanten[(schicht, nach)] = kanten.get((schicht, nach), 0) + 1
                if nach not in UNTEN[schicht]:
                    falsch.append(f"{os.path.relpath(pfad, wurzel)} -> {ziel} ({nach})")
    for schicht in reversed(REIHE):
        unten = [f"{n} ({kanten[(schicht, n)]})" for n in reversed(REIHE) if (schicht, n) in kanten]
        print(f"{schicht:16} -> {', '.join(unten) if unten else '-'}")
    print("upward or sideways arrows:", len(falsch))
    for f in falsch:
        print("  " + f)
    return 1 if falsch else 0


if __name__ == "__main__":
    sys.exit(main())
