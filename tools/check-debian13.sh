#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the README's test command on Debian 13: in a root that debootstrap makes outside
# the tree and that later runs reuse, on a clean copy of the commit checked out (HEAD;
# changes not committed stay out). As root, on Debian 12 or 13 with debootstrap.
#   tools/check-debian13.sh            make the root if needed, then build and test there
#   tools/check-debian13.sh --prepare  make the root and install the tests' packages only
#                                      (CI does this while it builds on the host)
# ZUNDEL_DEBIAN13_ROOT names the root (default /var/cache/zundelfeld/debian13); a root
# older than 30 days is made anew. ZUNDEL_WERROR and ZUNDEL_TESTS_EXCEPT are handed on to
# tools/run-tests.sh.
set -euo pipefail
quelle=$(cd "$(dirname "$0")/.." && pwd)
wurzel=${ZUNDEL_DEBIAN13_ROOT:-/var/cache/zundelfeld/debian13}
case "${1:-}" in
--prepare | "") ;;
*)
    echo "usage: $0 [--prepare]" >&2
    exit 2
    ;;
esac
[[ $(id -u) -eq 0 ]] || { echo "check-debian13.sh: run it as root (debootstrap, chroot, mount)" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "check-debian13.sh: apt-get install debootstrap" >&2; exit 1; }

mkdir -p "$(dirname "$wurzel")"
# One run at a time per root: CI's early --prepare and the run after it take turns.
exec {sperre}>"$wurzel.lock"
flock "$sperre"

einhaengen=()
aushaengen() {
    local i
    for ((i = ${#einhaengen[@]} - 1; i >= 0; i--)); do
        umount "${einhaengen[i]}" 2>/dev/null || umount -l "${einhaengen[i]}" || true
    done
    einhaengen=()
}
trap aushaengen EXIT
trap 'exit 1' INT TERM HUP
haenge() { # mount ARGS... TARGET
    mount "$@"
    einhaengen+=("${!#}")
}

if [[ ! -e $wurzel/.fertig ]] || [[ -n $(find "$wurzel/.fertig" -mtime +30) ]]; then
    # The host's own Debian mirror, as its apt sources name it.
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    spiegel=$(apt-get indextargets --format '$(RELEASE) $(REPO_URI)' |
        awk -v c="$codename" '$1 == c { print $2; exit }')
    [[ -n $spiegel ]] || { echo "check-debian13.sh: no apt source for $codename" >&2; exit 1; }
    rm -rf "$wurzel" "$wurzel.neu"
    echo "Making a Debian 13 root in $wurzel from $spiegel"
    debootstrap --variant=minbase trixie "$wurzel.neu" "$spiegel" >"$wurzel.log" 2>&1 ||
        { tail -n 30 "$wurzel.log" >&2; exit 1; }
    # A root for tests only: no recommended packages (ensure-deps.sh names what the tests
    # need), no documentation, and dpkg without its fsyncs.
    echo 'APT::Install-Recommends "false";' >"$wurzel.neu/etc/apt/apt.conf.d/90zundelfeld"
    printf '%s\n' force-unsafe-io path-exclude=/usr/share/doc/* path-exclude=/usr/share/locale/* \
        >"$wurzel.neu/etc/dpkg/dpkg.cfg.d/90zundelfeld"
    mv "$wurzel.neu" "$wurzel"
    touch "$wurzel/.fertig"
fi

cp /etc/resolv.conf /etc/hosts "$wurzel/etc/"
haenge -t proc proc "$wurzel/proc"
haenge -t sysfs sysfs "$wurzel/sys"
haenge --bind /dev "$wurzel/dev"
haenge --bind /dev/pts "$wurzel/dev/pts"
# Shared memory of its own, for the database server the tests start.
haenge -t tmpfs -o mode=1777,nosuid,nodev shm "$wurzel/dev/shm"
drinnen() {
    chroot "$wurzel" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        CI="${CI:-}" ZUNDEL_WERROR="${ZUNDEL_WERROR:-}" \
        ZUNDEL_TESTS_EXCEPT="${ZUNDEL_TESTS_EXCEPT:-}" \
        NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt "$@"
}

# A package run that was cut short is finished first; then what the tests need.
drinnen dpkg --configure -a
drinnen bash -s <"$quelle/tools/ensure-deps.sh"
# The host's own certificate authorities (a proxy's, say) are trusted in the root too, so
# that what reaches the npm registry from the host reaches it from there.
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
    mkdir -p "$wurzel/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$wurzel/usr/local/share/ca-certificates/"
    drinnen update-ca-certificates >/dev/null 2>&1
fi
[[ ${1:-} == --prepare ]] && exit 0

rm -rf "$wurzel/srv/zundelfeld"
mkdir -p "$wurzel/srv/zundelfeld"
git -C "$quelle" archive HEAD | tar -x -C "$wurzel/srv/zundelfeld"
echo "Debian $(cat "$wurzel/etc/debian_version"): tools/run-tests.sh on $(git -C "$quelle" rev-parse --short HEAD)"
drinnen bash -c 'cd /srv/zundelfeld && tools/run-tests.sh'
