#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Kills a save loop with SIGKILL at random moments and checks after every kill that the
# settings file holds one of the two records whole and how many other files lie beside
# it. Three ways of saving, N kills each:
#   ersetzen  a folder the saver may write: temporary file, then rename
#   anort     a root-owned 755 folder, the file 666, the saver "nobody": in place
#   hartlink  the file has a second hard link: in place
# Run from the repository root, as root (for the second way):
#
#     bench/speichern_abbrechen.sh [N]        (default 1000)
set -euo pipefail
cd "$(dirname "$0")/.."
n="${1:-1000}"

cmake --preset release >/dev/null
cmake --build --preset release -j2 --target speichern_dauerlauf >/dev/null
programm="$PWD/build/release/bench/speichern_dauerlauf"
arbeit="$PWD/build/release/abbrechen"
rm -rf "$arbeit"
mkdir -p "$arbeit"
chmod 755 "$arbeit"
"$programm" --muster "$arbeit/a" "$arbeit/b"

lauf() {
    local art="$1" ordner="$arbeit/$1"
    local datei="$ordner/zundrec.dat" zerrissen=0 streuner=0 hoechstens=0 wechsel=0 vorher=a
    local vor=()
    mkdir -p "$ordner"
    chmod 755 "$ordner"
    cp "$arbeit/a" "$datei"
    case "$art" in
    anort)
        chmod 666 "$datei"
        vor=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
        ;;
    hartlink) ln "$datei" "$ordner/zweiter.dat" ;;
    esac
    for ((i = 0; i < n; i++)); do
        "${vor[@]}" "$programm" "$datei" &
        local pid=$!
        sleep "$(printf '0.%03d' $((RANDOM % 30 + 1)))"
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        local jetzt=x
        cmp -s "$datei" "$arbeit/a" && jetzt=a
        cmp -s "$datei" "$arbeit/b" && jetzt=b
        if [[ $jetzt == x ]]; then
            zerrissen=$((zerrissen + 1))
        elif [[ $jetzt != "$vorher" ]]; then
            wechsel=$((wechsel + 1))
            vorher=$jetzt
        fi
        if [[ $art == hartlink ]] && ! cmp -s "$datei" "$ordner/zweiter.dat"; then
            zerrissen=$((zerrissen + 1))
        fi
        local andere
        andere=$(ls -A "$ordner" | grep -cvx -e zundrec.dat -e zweiter.dat || true)
        ((andere > 0)) && streuner=$((streuner + 1))
        ((andere > hoechstens)) && hoechstens=$andere
    done
    printf '%-9s %d kills: torn %d, record changed between kills %d times, kills leaving a stray file %d, most stray files at once %d\n' \
        "$art" "$n" "$zerrissen" "$wechsel" "$streuner" "$hoechstens"
}

lauf ersetzen
lauf anort
lauf hartlink
