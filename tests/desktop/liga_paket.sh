#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# A machine that runs a league has neither Qt nor the test libraries: configure the league
# server alone with them hidden, build it, pack it, and check the package: the program,
# its service units pointing at it with no database on their command line, the settings
# file (a conffile, root's alone, every setting commented), the maintainer scripts, the
# manual page, the libraries from dpkg-shlibdeps (and no Qt), and lintian's verdict.
# What the scripts do is tried by tools/check-liga-service.sh, in a Debian root.
#   liga_paket.sh CMAKE CPACK SOURCE_DIR
set -euo pipefail
cmake=$1 cpack=$2 quelle=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cmake" -S "$quelle" -B "$tmp/bau" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZUNDEL_NUR_LIGA=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$tmp/log" 2>&1 &&
    "$cmake" --build "$tmp/bau" -j2 >>"$tmp/log" 2>&1 &&
    "$cpack" -G DEB --config "$tmp/bau/CPackConfig.cmake" -B "$tmp" >>"$tmp/log" 2>&1 ||
    { cat "$tmp/log" >&2; exit 1; }
deb=$(echo "$tmp"/zundel-liga_*.deb)

fehler=0
falsch() {
    echo "FAIL: $*" >&2
    fehler=1
}
inhalt=$(dpkg-deb -c "$deb")
for f in usr/sbin/zundel-liga usr/lib/systemd/system/zundel-liga.service \
    usr/lib/systemd/system/zundel-liga@.service etc/default/zundel-liga \
    usr/share/man/man8/zundel-liga.8.gz usr/share/doc/zundel-liga/copyright \
    usr/share/doc/zundel-liga/changelog.Debian.gz usr/share/doc/zundel-liga/examples/nginx/zundel-liga; do
    grep -q " \./$f$" <<<"$inhalt" || falsch "$f is not in the package"
done
if grep -E 'zundelfeld|games/' <<<"$inhalt"; then falsch "the game is in the league's package"; fi
datei() { dpkg-deb --fsys-tarfile "$deb" | tar -xO "./$1"; }
for einheit in zundel-liga zundel-liga@; do
    start=$(datei "usr/lib/systemd/system/$einheit.service" | grep '^ExecStart=')
    grep -q '^ExecStart=/usr/sbin/zundel-liga ' <<<"$start" ||
        falsch "$einheit.service does not start /usr/sbin/zundel-liga: $start"
    if grep -q -- '--db\|DB}' <<<"$start"; then falsch "$einheit.service puts the database in argv"; fi
done
datei usr/lib/systemd/system/zundel-liga@.service |
    grep -qx 'EnvironmentFile=/etc/default/zundel-liga-%i' || falsch "an instance reads no settings of its own"
grep -q '^-rw------- root/root .* \./etc/default/zundel-liga$' <<<"$inhalt" ||
    falsch "/etc/default/zundel-liga is not root's alone: $(grep etc/default <<<"$inhalt")"
einstellungen=$(datei etc/default/zundel-liga)
for name in ZUNDEL_LIGA_DB ZUNDEL_LIGA_LISTEN ZUNDEL_LIGA_OPTIONS; do
    grep -q "^#$name=" <<<"$einstellungen" || falsch "/etc/default/zundel-liga lacks #$name="
done
if grep -v '^#' <<<"$einstellungen" | grep -q .; then falsch "a setting in /etc/default/zundel-liga is not commented"; fi
steuerung=$(dpkg-deb --ctrl-tarfile "$deb" | tar -tv)
for skript in postinst prerm postrm; do
    grep -q "^-rwxr-xr-x .* \./$skript$" <<<"$steuerung" || falsch "no maintainer script $skript"
done
[[ $(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles) == /etc/default/zundel-liga ]] ||
    falsch "/etc/default/zundel-liga is not the package's one conffile"
abhaengig=$(dpkg-deb -f "$deb" Depends)
for paket in libmicrohttpd12 libsqlite3-0 libpq5 libc6; do
    grep -Eq "\b${paket}(t64)?\b" <<<"$abhaengig" || falsch "Depends lacks $paket: $abhaengig"
done
if grep -qi qt <<<"$abhaengig"; then falsch "the league server depends on Qt: $abhaengig"; fi
if ! command -v lintian >/dev/null; then
    falsch "lintian is missing; tools/ensure-deps.sh installs it"
elif ! lintian --fail-on error,warning "$deb" >&2; then
    falsch "lintian"
fi
exit $fehler
