#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the game alone (the "play" preset: no tests, benchmarks or their libraries) and
# starts it through the launcher that the install uses, so the best times live in the same
# place: zundrec.dat in ${XDG_DATA_HOME:-~/.local/share}/zundelfeld. Run from the
# repository root on a Debian 12 or 13 desktop; what is missing is installed first (through
# sudo when not root).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "play.sh: no display (DISPLAY and WAYLAND_DISPLAY are both empty); start it from a desktop session." >&2
    exit 1
fi

if ! tools/ensure-deps.sh --play >/dev/null 2>&1; then
    if [[ "$(id -u)" -ne 0 ]] && command -v sudo >/dev/null; then
        sudo tools/ensure-deps.sh --play
    else
        tools/ensure-deps.sh --play
    fi
fi

cmake --preset play >/dev/null
cmake --build --preset play --target zundelfeld

ZUNDELFELD_PROGRAMM="$PWD/build/play/app/window/zundelfeld" exec dist/zundelfeld.sh
