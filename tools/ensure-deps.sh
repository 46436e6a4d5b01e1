#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 or 13 packages that one use of this source tree needs.
#   tools/ensure-deps.sh            the tests, benchmarks and CI's checks (tools/run-tests.sh)
#   tools/ensure-deps.sh --play     building and playing the game (tools/play.sh)
#   tools/ensure-deps.sh --package  --play, and what makes the Debian package
#   tools/ensure-deps.sh --liga     building and packing the league server alone
#   tools/ensure-deps.sh --fuzz     the tests', and clang's fuzzing runtime
# As root it installs what is missing; otherwise it names the apt-get line and stops.
set -euo pipefail

# Building the game: a compiler, CMake and Qt.
pakete=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools)
# Running it: Qt's German texts, and its Wayland plugin, so that the game is a native
# client wherever a desktop runs Wayland now or later (the X11 one comes with Qt's own
# libraries).
spielen=(qt6-translations-l10n qt6-wayland)
# The Debian package: dpkg-shlibdeps finds its dependencies, with file's help.
paket=(dpkg-dev file)
# The tests: their libraries, the league server they talk to (libmicrohttpd, SQLite, libpq)
# and the PostgreSQL server it shares in them, nginx in front of two of them and ip for
# the network namespace they run in (tools/with-nginx.sh, tools/in-netns.sh), the
# formatter, the sprite generator, a fixed font for the window tests, the validators and
# manual page checker of the installed tree, the licence and package checkers, and the
# Wayland compositor with the X server it runs in, the key typist and the picture tools;
# openbox and the window inspector for bench/messen.sh; systemd, whose systemd-analyze and
# deb-systemd-helper tools/check-liga-service.sh uses on the league's package; the
# browser, Node.js and npm for the league's pages (tools/check-league-pages.sh) and the time
# zones they are checked in; ccache, which keeps what was compiled for the next build of
# the same sources (CI's clean clones, the package tests' own trees).
tests=(
    libgtest-dev libgmock-dev libbenchmark-dev libmicrohttpd-dev libsqlite3-dev libpq-dev
    postgresql systemd nginx iproute2
    clang-format python3 fonts-dejavu-core
    qt6-translations-l10n desktop-file-utils appstream groff-base reuse lintian "${paket[@]}"
    weston qt6-wayland xvfb xdotool imagemagick openbox x11-utils
    chromium nodejs npm tzdata ccache
)

case "${1:-}" in
--play) pakete+=("${spielen[@]}") ;;
--package) pakete+=("${spielen[@]}" "${paket[@]}") ;;
--liga) pakete=(cmake ninja-build g++ pkg-config libmicrohttpd-dev libsqlite3-dev libpq-dev
    "${paket[@]}") ;;
--fuzz) pakete+=("${tests[@]}" clang libclang-rt-dev) ;;
"") pakete+=("${tests[@]}") ;;
*)
    echo "usage: $0 [--play | --package | --liga | --fuzz]" >&2
    exit 2
    ;;
esac

# A Node.js from elsewhere brings its own npm, which Debian's would clash with.
befehlGenuegt() {
    case "$1" in
    nodejs) command -v node >/dev/null ;;
    npm) command -v npm >/dev/null ;;
    *) false ;;
    esac
}

fehlend=()
for p in "${pakete[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" &&
        ! befehlGenuegt "$p"; then
        fehlend+=("$p")
    fi
done

if ((${#fehlend[@]} > 0)); then
    zeile="apt-get install -y ${fehlend[*]}"
    if [[ "$(id -u)" -ne 0 ]]; then
        echo "Missing packages. Please run as root:" >&2
        echo "  apt-get update && $zeile" >&2
        exit 1
    fi
    echo "Installing: ${fehlend[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # The tests start the servers they need themselves; what is installed for them starts
    # none of Debian's services (nginx's default site would take port 80 of every
    # address), unless the machine has its own rule for that.
    if [[ ! -e /usr/sbin/policy-rc.d ]]; then
        printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
        chmod 755 /usr/sbin/policy-rc.d
        trap 'rm -f /usr/sbin/policy-rc.d' EXIT
    fi
    apt-get update -qq
    apt-get install -y -qq "${fehlend[@]}"
fi

# The browser check's tools from the npm registry, pinned, where this tree is at hand (not
# when the script comes on standard input, as into Debian 13's root).
seiten="$(dirname "$0")/check-league-pages.sh"
if [[ -z "${1:-}" || "${1:-}" == --fuzz ]] && [[ -x "$seiten" ]]; then
    "$seiten" --install
fi
