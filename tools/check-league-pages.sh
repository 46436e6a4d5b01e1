#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The league's pages in a real browser, on both stores:
#
#     tools/check-league-pages.sh ZUNDEL_LIGA LEAGUE_FILL OUT_DIR
#     tools/check-league-pages.sh --install    the test tools only (tools/ensure-deps.sh)
#
# Fills a league of a few hundred names (LEAGUE_FILL) in an SQLite file and, under
# tools/with-postgres.sh, in a PostgreSQL database, starts zundel-liga on each on
# 127.0.0.1 (two servers on PostgreSQL) and runs tests/browser/league_pages.mjs against
# it in Debian's headless Chromium; the screenshots go to OUT_DIR. The test tools come
# from the npm registry as tests/browser/package-lock.json pins them, installed once per
# lock file into ZUNDEL_NPM_CACHE (default /var/cache/zundelfeld/npm as root, else
# ~/.cache/zundelfeld/npm), never with a browser of their own.
# Chromium, Node.js or npm missing fails; PostgreSQL missing fails with
# ZUNDEL_PG_REQUIRED=1, as in CI, and is skipped otherwise.
set -euo pipefail

quelle="$(cd "$(dirname "$0")/.." && pwd)/tests/browser"
if [[ "$(id -u)" -eq 0 ]]; then
    ablage="${ZUNDEL_NPM_CACHE:-/var/cache/zundelfeld/npm}"
else
    ablage="${ZUNDEL_NPM_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zundelfeld/npm}"
fi
werkzeuge="$ablage/$(sha256sum "$quelle/package-lock.json" | cut -c1-16)"

# The pinned tools, once per lock file.
installieren() {
    [[ -f "$werkzeuge/fertig" ]] && return
    rm -rf "$werkzeuge"
    mkdir -p "$werkzeuge"
    cp "$quelle/package.json" "$quelle/package-lock.json" "$werkzeuge/"
    (cd "$werkzeuge" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund \
        --loglevel=error >/dev/null)
    touch "$werkzeuge/fertig"
}

if [[ "${1:-}" == --install ]]; then
    installieren
    exit 0
fi
if (($# != 3)); then
    echo "usage: $0 ZUNDEL_LIGA LEAGUE_FILL OUT_DIR | --install" >&2
    exit 2
fi
liga="$(realpath "$1")"
fill="$(realpath "$2")"
out="$3"

for befehl in /usr/bin/chromium node npm; do
    if ! command -v "$befehl" >/dev/null; then
        echo "FAIL: $befehl is missing (tools/ensure-deps.sh installs it)" >&2
        exit 1
    fi
done
installieren

rm -rf "$out"
mkdir -p "$out"
ordner="$(mktemp -d /tmp/zundel-seiten.XXXXXX)"
server=()
aufraeumen() {
    for pid in "${server[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
    rm -rf "$ordner"
}
trap aufraeumen EXIT
# The script beside the shared tools, so that runs of two trees do not meet.
cp "$quelle/league_pages.mjs" "$ordner/"
ln -s "$werkzeuge/node_modules" "$ordner/node_modules"

# Starts zundel-liga on DB at a free port of 127.0.0.1 and leaves its address in
# $adresse (not printed: a command substitution's subshell would keep the server's pid).
starten() {
    local nummer=${#server[@]}
    "$liga" --db "$1" --listen 127.0.0.1:0 --limit 0 >"$ordner/server$nummer.out" \
        2>"$ordner/server$nummer.err" &
    server+=($!)
    for _ in $(seq 100); do
        if grep -q "listening on" "$ordner/server$nummer.out"; then
            adresse="$(sed -n 's|.*listening on \(http://127\.0\.0\.1:[0-9]*\)/.*|\1|p' \
                "$ordner/server$nummer.out")"
            return
        fi
        sleep 0.1
    done
    cat "$ordner/server$nummer.err" >&2
    echo "FAIL: zundel-liga did not start" >&2
    exit 1
}

status=0
"$fill" "$ordner/liga.db" >/dev/null
starten "$ordner/liga.db"
node "$ordner/league_pages.mjs" "$adresse/" "$out" sqlite || status=1

if [[ -n "${ZUNDEL_PG:-}" ]]; then
    db="liga_seiten_$$"
    psql "$ZUNDEL_PG" -q -c "CREATE DATABASE $db" >/dev/null
    pg="${ZUNDEL_PG/dbname=postgres/dbname=$db}"
    "$fill" "$pg" >/dev/null
    starten "$pg"
    erste="$adresse"
    starten "$pg"
    zweite="$adresse"
    node "$ordner/league_pages.mjs" "$erste/" "$out" postgres "$zweite/" || status=1
    for pid in "${server[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
    server=()
    psql "$ZUNDEL_PG" -q -c "DROP DATABASE $db WITH (FORCE)" >/dev/null
elif [[ "${ZUNDEL_PG_REQUIRED:-}" == 1 ]]; then
    echo "FAIL: no PostgreSQL server (run under tools/with-postgres.sh)" >&2
    status=1
else
    echo "PostgreSQL skipped: no server (run under tools/with-postgres.sh)"
fi
exit "$status"
