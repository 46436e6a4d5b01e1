#!/usr/bin/env bash
# Builds the release preset and starts the game. Run from the repository root on a
# Debian 12 desktop; what is missing is installed first (through sudo when not root).
# The best times live in zundrec.dat in ${XDG_DATA_HOME:-~/.local/share}/zundelfeld.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "play.sh: no display (DISPLAY and WAYLAND_DISPLAY are both empty); start it from a desktop session." >&2
    exit 1
fi

if ! tools/ensure-deps.sh --desktop >/dev/null 2>&1; then
    if [[ "$(id -u)" -ne 0 ]] && command -v sudo >/dev/null; then
        sudo tools/ensure-deps.sh --desktop
    else
        tools/ensure-deps.sh --desktop
    fi
fi

cmake --preset release >/dev/null
cmake --build --preset release --target zundelfeld

daten="${XDG_DATA_HOME:-$HOME/.local/share}/zundelfeld"
mkdir -p "$daten"
programm="$PWD/build/release/app/window/zundelfeld"
cd "$daten"
exec "$programm"
