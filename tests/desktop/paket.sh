#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Packs a build as a Debian package and checks what it installs, that its launcher
# points at the packaged program, that dpkg-shlibdeps gave it its libraries, and that
# lintian finds no error and no warning in it.
#   paket.sh CPACK BUILD_DIR APP_ID BINDIR
set -euo pipefail
cpack=$1 build=$2 id=$3 bindir=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; exit 1; }
deb=$(echo "$tmp"/zundelfeld_*.deb)

fehler=0
falsch() {
    echo "FAIL: $*" >&2
    fehler=1
}
inhalt=$(dpkg-deb -c "$deb")
for f in usr/$bindir/zundelfeld usr/libexec/zundelfeld/zundelfeld usr/share/applications/$id.desktop \
    usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/256x256/apps/$id.png \
    usr/share/man/man6/zundelfeld.6.gz usr/share/doc/zundelfeld/copyright \
    usr/share/doc/zundelfeld/changelog.Debian.gz; do
    grep -q " \./$f$" <<<"$inhalt" || falsch "$f is not in the package"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/$bindir/zundelfeld" | grep -q '^programm=.*:-/usr/libexec/zundelfeld/zundelfeld}$' ||
    falsch "the packaged launcher does not start /usr/libexec/zundelfeld/zundelfeld"
abhaengig=$(dpkg-deb -f "$deb" Depends)
for paket in libqt6widgets6 libqt6gui6 libc6; do
    grep -Eq "\b${paket}(t64)?\b" <<<"$abhaengig" || falsch "Depends lacks $paket: $abhaengig"
done
if ! command -v lintian >/dev/null; then
    falsch "lintian is missing; tools/ensure-deps.sh installs it"
elif ! lintian --fail-on error,warning "$deb" >&2; then
    falsch "lintian"
fi
exit $fehler
