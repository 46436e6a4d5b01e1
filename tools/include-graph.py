#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints which layer folder of the game includes which, and every arrow that runs up.

    python3 tools/include-graph.py [ROOT]

A header is included by its plain file name; this finds the folder that holds it. The
layers are those of README's layout table, bottom to top: a layer may include only the
layers before it, and the engine and the records core not each other. Exits 1 when an
arrow runs up or sideways.
"""

import os
import re
import sys

SCHICHTEN = ["basis", "records/core", "app/engine", "render/core", "render/qt", "net/core",
             "net", "records/dialogs", "app/window"]
GESCHWISTER = {("app/engine", "records/core"), ("records/core", "app/engine")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main():
    wurzel = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    heim = {}  # header file name -> layer folder
    dateien = []
    for schicht in SCHICHTEN:
        ordner = os.path.join(wurzel, schicht)
        for name in sorted(os.listdir(ordner)):
            pfad = os.path.join(ordner, name)
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
                if SCHICHTEN.index(nach) > SCHICHTEN.index(schicht) or (schicht, nach) in GESCHWISTER:
                    falsch.append(f"{os.path.relpath(pfad, wurzel)} -> {ziel} ({nach})")
    for schicht in reversed(SCHICHTEN):
        unten = [f"{n} ({kanten[(schicht, n)]})" for n in reversed(SCHICHTEN) if (schicht, n) in kanten]
        print(f"{schicht:16} -> {', '.join(unten) if unten else '-'}")
    print("upward or sideways arrows:", len(falsch))
    for f in falsch:
        print("  " + f)
    return 1 if falsch else 0


if __name__ == "__main__":
    sys.exit(main())
