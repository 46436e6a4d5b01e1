#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a temporary prefix and checks what desktops and software
# centres read there, and that the installed launcher starts the program in the
# player's data folder (the program replaced by a stand-in that prints where it runs).
#   installation.sh CMAKE BUILD_DIR SOURCE_DIR APP_ID VERSION BINDIR
set -euo pipefail
cmake=$1 build=$2 quelle=$3 id=$4 version=$5 bindir=$6
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
p=$tmp/prefix
"$cmake" --install "$build" --prefix "$p" >/dev/null

fehler=0
falsch() {
    echo "FAIL: $*" >&2
    fehler=1
}

for f in $bindir/zundelfeld libexec/zundelfeld/zundelfeld share/man/man6/zundelfeld.6.gz; do
    [[ -f $p/$f ]] || falsch "$f is not installed"
done
for n in 16 24 32 48 64 128 256; do
    symbol=$p/share/icons/hicolor/${n}x$n/apps/$id.png
    # a PNG's width and height stand big-endian at bytes 16 and 20
    masse=$(od -An -tu4 --endian=big -j16 -N8 "$symbol" 2>/dev/null | xargs)
    [[ $masse == "$n $n" ]] || falsch "icon $symbol: not $n x $n ($masse)"
done

eintrag=$p/share/applications/$id.desktop
desktop-file-validate "$eintrag" || falsch "desktop entry"
grep -qx "Exec=$p/$bindir/zundelfeld" "$eintrag" || falsch "the desktop entry does not run the launcher"
# validate-tree checks the metainfo and that its desktop entry is installed beside it.
# Errors and warnings fail; infos do not, as appstream 0.16 and 1.0 cannot both be
# content there (the newer one asks for the developer tag that the older one does not know).
if ! befund=$(appstreamcli validate-tree --no-net "$p" 2>&1) || grep -qE '^ *[EW]: ' <<<"$befund"; then
    falsch "metainfo: $befund"
fi
grep -q "<release version=\"$version\"" "$p/share/metainfo/$id.metainfo.xml" ||
    falsch "metainfo has no release $version"
warnungen=$(zcat "$p/share/man/man6/zundelfeld.6.gz" | groff -man -ww -z -K utf8 2>&1)
[[ -z $warnungen ]] || falsch "manual page: $warnungen"

# The launcher: the stand-in prints the folder it was started in.
printf '#!/bin/sh\npwd -P\n' >"$p/libexec/zundelfeld/zundelfeld"
mkdir "$tmp/heim" "$tmp/xdg"
starte() { env -i PATH="$PATH" "$@" "$p/$bindir/zundelfeld"; }
erwarte() { # expected folder, then the launcher's output
    [[ -d $1 && $2 == "$(cd "$1" && pwd -P)" ]] || falsch "started in '$2', not in $1"
}
erwarte "$tmp/heim/.local/share/zundelfeld" "$(starte HOME="$tmp/heim")"
erwarte "$tmp/xdg/zundelfeld" "$(starte HOME="$tmp/heim" XDG_DATA_HOME="$tmp/xdg")"
erwarte "$tmp/heim/.local/share/zundelfeld" "$(starte HOME="$tmp/heim" XDG_DATA_HOME=relativ)"
# tools/play.sh starts the source tree's launcher with another program
erwarte "$tmp/heim/.local/share/zundelfeld" "$(env -i PATH="$PATH" HOME="$tmp/heim" \
    ZUNDELFELD_PROGRAMM="$p/libexec/zundelfeld/zundelfeld" "$quelle/dist/zundelfeld.sh")"

# A folder that cannot be made: a message on stderr, a failure, and no program.
touch "$tmp/datei"
if ausgabe=$(starte HOME="$tmp/datei" 2>"$tmp/stderr"); then
    falsch "the launcher succeeded without its folder"
fi
[[ -z $ausgabe ]] || falsch "the program ran without its folder: $ausgabe"
grep -q "cannot create the data folder $tmp/datei/.local/share/zundelfeld: " "$tmp/stderr" ||
    falsch "no reason on stderr: $(cat "$tmp/stderr")"

exit $fehler
