#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The league's Debian package as an operator meets it, on a clean Debian 13 that systemd
# runs: built there from the committed tree (cmake --workflow --preset liga-package),
# installed with apt, configured for two instances on PostgreSQL without the password on
# any command line, upgraded to a higher version, removed, installed again and purged. After each step,
# what the maintainer scripts and the units must have done: the files, the conffile (0600,
# registered, the operator's change kept), the links that enable the units, which servers
# run and answer, the league that stays until the purge, and in the end nothing running
# and nothing left that the package brought or made.
#   tools/check-liga-service.sh      as root, on Debian 12 or 13
# It boots a throwaway overlay of the root that tools/check-debian13.sh --prepare makes
# (ZUNDEL_DEBIAN13_ROOT, default /var/cache/zundelfeld/debian13, which stays as it was)
# with systemd as PID 1 in namespaces of its own: mounts, processes, a network with
# loopback alone, and a cgroup below the host's cgroup2 hierarchy. It powers that system
# off and removes the overlay afterwards.
set -euo pipefail
wurzel=${ZUNDEL_DEBIAN13_ROOT:-/var/cache/zundelfeld/debian13}

case "${1:-}" in
"") ;;
# PID 1 of the new namespaces: the throwaway system's mounts, then systemd.
--boot)
    w=$2/wurzel
    mount -t overlay overlay -o "lowerdir=$wurzel,upperdir=$2/oben,workdir=$2/arbeit" "$w"
    mount -t proc proc "$w/proc"
    mount -t sysfs sysfs "$w/sys"
    mount -t cgroup2 cgroup2 "$w/sys/fs/cgroup"
    mount -t tmpfs -o mode=755 tmpfs "$w/dev"
    for d in null zero full random urandom tty; do
        touch "$w/dev/$d"
        mount --bind "/dev/$d" "$w/dev/$d"
    done
    mkdir "$w/dev/pts" "$w/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$w/dev/pts"
    ln -s pts/ptmx "$w/dev/ptmx"
    mount -t tmpfs -o mode=1777 tmpfs "$w/dev/shm"
    mount -t tmpfs -o mode=755 tmpfs "$w/run"
    mount -t tmpfs -o mode=1777 tmpfs "$w/tmp"
    # The new root as the namespace's own, not a chroot, in which the kernel refuses the
    # user namespaces that the unit's PrivateUsers= makes.
    cd "$w"
    pivot_root . mnt
    umount -l /mnt
    exec /usr/bin/env -i container=zundelfeld /usr/lib/systemd/systemd --system
    ;;
--inside) ;;
*)
    echo "usage: $0" >&2
    exit 2
    ;;
esac

if [[ -z ${1:-} ]]; then
    quelle=$(cd "$(dirname "$0")/.." && pwd)
    [[ $(id -u) -eq 0 ]] || { echo "check-liga-service.sh: run it as root (mounts, namespaces)" >&2; exit 1; }
    if [[ ! -e $wurzel/.fertig || ! -x $wurzel/usr/lib/systemd/systemd ]]; then
        echo "FAIL: no Debian 13 root with systemd in $wurzel; tools/check-debian13.sh --prepare makes it" >&2
        exit 1
    fi
    # systemd wants cgroup2: the host's own, or the unified half of a hybrid hierarchy.
    if [[ -f /sys/fs/cgroup/cgroup.controllers ]]; then
        cgbasis=/sys/fs/cgroup
    elif [[ -f /sys/fs/cgroup/unified/cgroup.controllers ]]; then
        cgbasis=/sys/fs/cgroup/unified
    else
        echo "FAIL: no cgroup2 hierarchy for systemd here" >&2
        exit 1
    fi
    # The root does not change under the overlay while it runs (check-debian13.sh's lock).
    exec {sperre}>"$wurzel.lock"
    flock "$sperre"

    tmp=$(mktemp -d /var/tmp/zundel-liga-dienst.XXXXXX)
    cgruppe=$cgbasis/${tmp##*/}
    starter='' init=''
    aufraeumen() {
        [[ -n $init || -z $starter ]] || init=$(pgrep -P "$starter" || true)
        if [[ -n $init ]] && kill -0 "$init" 2>/dev/null; then
            kill -RTMIN+4 "$init" # power off
            for ((i = 0; i < 300; i++)); do
                kill -0 "$starter" 2>/dev/null || break
                sleep 0.1
            done
            kill -KILL "$init" 2>/dev/null || true
        fi
        [[ -z $starter ]] || wait "$starter" 2>/dev/null || true
        [[ ! -d $cgruppe ]] || find "$cgruppe" -depth -type d -exec rmdir {} + 2>/dev/null || true
        rm -rf "$tmp"
    }
    trap aufraeumen EXIT
    trap 'exit 1' INT TERM HUP
    mkdir "$tmp/oben" "$tmp/arbeit" "$tmp/wurzel" "$tmp/oben/srv" "$cgruppe"
    git -C "$quelle" archive --prefix=liga-dienst/ HEAD | tar -x -C "$tmp/oben/srv"
    (
        echo "$BASHPID" >"$cgruppe/cgroup.procs"
        exec unshare --cgroup --pid --fork --mount --uts --ipc --net --propagation private \
            "$quelle/tools/check-liga-service.sh" --boot "$tmp"
    ) </dev/null >"$tmp/boot.log" 2>&1 &
    starter=$!
    for ((i = 0; i < 100; i++)); do
        init=$(pgrep -P "$starter" || true)
        [[ -z $init ]] || break
        sleep 0.1
    done
    [[ -n $init ]] || { echo "FAIL: systemd did not start: $(cat "$tmp/boot.log")" >&2; exit 1; }
    drinnen() {
        nsenter -t "$init" -a -r -w /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
    }
    # "offline" until systemd has made /run/systemd/system, then --wait waits for the boot.
    for ((i = 0; i < 300; i++)); do
        ! drinnen test -S /run/systemd/private || break
        sleep 0.1
    done
    zustand=$(drinnen timeout 120 systemctl is-system-running --wait 2>&1 || true)
    if [[ $zustand != running && $zustand != degraded ]]; then
        echo "FAIL: the Debian 13 system did not boot: $zustand" >&2
        tail -n 30 "$tmp/boot.log" >&2
        exit 1
    fi
    echo "Debian $(cat "$wurzel/etc/debian_version") booted in ${SECONDS}s ($zustand)," \
        "tools/check-liga-service.sh on $(git -C "$quelle" rev-parse --short HEAD)"
    drinnen bash -c 'cd /srv/liga-dienst && tools/check-liga-service.sh --inside'
    exit
fi

# --inside: the steps, in the booted system.
[[ -d /run/systemd/system ]] || { echo "FAIL: no systemd runs here" >&2; exit 1; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
fehler=0
falsch() {
    echo "FAIL: $*" >&2
    fehler=1
}
schritt() { echo "--- ${SECONDS}s: $*"; }
apt() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -q -o Dpkg::Options::=--force-confold "$@" \
        >/tmp/apt.log 2>&1 || { cat /tmp/apt.log >&2; exit 1; }
}
# Every path below the folders a package may touch, but for the records of dpkg and apt,
# the logs and caches, and PostgreSQL's own files, where its leagues stay by design.
bestand() {
    find /etc /usr /var /opt \( -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/log \
        -o -path /var/cache -o -path /var/lib/postgresql \) -prune -o -print | sort
}
# The links below /etc/systemd that name a unit of the package, dangling or not.
links() { find /etc/systemd -type l -name 'zundel-liga*' -printf '%p -> %l\n' | sort; }
wants=/etc/systemd/system/multi-user.target.wants
# The status line of GET / on a port of 127.0.0.1, after the server has had 10 s to come.
status() {
    local i zeile=''
    for ((i = 0; i < 100; i++)); do
        if exec 3<>"/dev/tcp/127.0.0.1/$1" 2>/dev/null; then
            printf 'GET / HTTP/1.0\r\n\r\n' >&3
            IFS= read -r zeile <&3 || true
            exec 3>&-
            break
        fi
        sleep 0.1
    done
    echo "${zeile%$'\r'}"
}
aktiv() { { systemctl is-active "$@" 2>&1 || true; } | tr '\n' ' ' | sed 's/ $//'; }
hauptprozess() { systemctl show -P MainPID "$1"; }
einstellungen=/etc/default/zundel-liga
einstellungenPruefen() {
    [[ $(stat -c '%a %U:%G' "$einstellungen" 2>&1) == "600 root:root" ]] ||
        falsch "$einstellungen $1: $(stat -c '%a %U:%G' "$einstellungen" 2>&1), not 600 root:root"
    # The password compared inside bash: a command's arguments are what this shows safe.
    [[ $(<"$einstellungen") == *"password=$passwort\""* ]] ||
        falsch "$einstellungen $1 lost the operator's settings"
}
nichtsLaeuft() {
    if pgrep -a zundel-liga; then falsch "$1: a zundel-liga process runs"; fi
    [[ -z $(systemctl list-units --no-legend --state=active 'zundel-liga*') ]] ||
        falsch "$1: $(systemctl list-units --no-legend --state=active 'zundel-liga*')"
}

schritt "Debian $(cat /etc/debian_version): cmake --workflow --preset liga-package"
# man-db's index, rebuilt after each step, is no concern here.
rm -f /var/lib/man-db/auto-update
cmake --workflow --preset liga-package >/tmp/bau.log 2>&1 || { tail -n 40 /tmp/bau.log >&2; exit 1; }
deb=$(echo build/liga/zundel-liga_*.deb)
version=$(dpkg-deb -f "$deb" Version)
# The same package with a higher version, for the upgrade.
dpkg-deb -R "$deb" /tmp/neu
sed -i "s/^Version: .*/Version: $version+1/" /tmp/neu/DEBIAN/control
neu=/tmp/zundel-liga_$version+1.deb
dpkg-deb -b --root-owner-group /tmp/neu "$neu" >/dev/null
vorher=$(bestand)

schritt "install: apt-get install ./$deb"
apt install "./$deb"
for f in /usr/sbin/zundel-liga /usr/lib/systemd/system/zundel-liga.service \
    /usr/lib/systemd/system/zundel-liga@.service; do
    [[ -f $f ]] || falsch "$f is not installed"
done
[[ $(stat -c '%a %U:%G' "$einstellungen") == "600 root:root" ]] ||
    falsch "$einstellungen: $(stat -c '%a %U:%G' "$einstellungen"), not 600 root:root"
if grep -v '^#' "$einstellungen" | grep -q .; then falsch "$einstellungen sets something"; fi
dpkg-query -W -f='${Conffiles}\n' zundel-liga | grep -q "^ $einstellungen [0-9a-f]\{32\}$" ||
    falsch "$einstellungen is not registered as a conffile"
[[ $(links) == "$wants/zundel-liga.service -> /usr/lib/systemd/system/zundel-liga.service" ]] ||
    falsch "installing did not enable zundel-liga.service: $(links)"
[[ $(aktiv zundel-liga) == active ]] || falsch "installing did not start zundel-liga: $(aktiv zundel-liga)"
[[ $(status 8080) == "HTTP/1.1 200 OK" ]] || falsch "zundel-liga on port 8080: $(status 8080)"
[[ -f /var/lib/zundel-liga/liga.db ]] || falsch "no league in /var/lib/zundel-liga/liga.db"

schritt "configure: two instances on PostgreSQL, the password in the settings alone"
passwort=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
# SQL on standard input, the settings by redirection: no command line holds the password.
runuser -u postgres -- psql -q -v ON_ERROR_STOP=1 >/dev/null <<EOF
CREATE ROLE liga LOGIN PASSWORD '$passwort';
CREATE DATABASE liga OWNER liga;
EOF
cat >>"$einstellungen" <<EOF
ZUNDEL_LIGA_DB="host=127.0.0.1 dbname=liga user=liga password=$passwort"
ZUNDEL_LIGA_OPTIONS="--proxy 127.0.0.1 --limit 30"
EOF
echo ZUNDEL_LIGA_LISTEN=127.0.0.1:8081 >/etc/default/zundel-liga-a
echo ZUNDEL_LIGA_LISTEN=127.0.0.1:8082 >/etc/default/zundel-liga-b
# A local change, as "systemctl edit zundel-liga@" makes it.
mkdir /etc/systemd/system/zundel-liga@.service.d
printf '[Service]\nRestartSec=3s\n' >/etc/systemd/system/zundel-liga@.service.d/override.conf
systemctl daemon-reload
systemctl disable --now zundel-liga.service 2>/dev/null || falsch "systemctl disable --now zundel-liga"
systemctl enable --now zundel-liga@a.service zundel-liga@b.service 2>/dev/null ||
    falsch "systemctl enable --now zundel-liga@a zundel-liga@b"
if ! pruefung=$(systemd-analyze verify zundel-liga.service zundel-liga@a.service 2>&1) ||
    [[ -n $pruefung ]]; then
    falsch "systemd-analyze verify: $pruefung"
fi
[[ $(aktiv zundel-liga@a zundel-liga@b zundel-liga) == "active active inactive" ]] ||
    falsch "zundel-liga@a, @b and zundel-liga: $(aktiv zundel-liga@a zundel-liga@b zundel-liga)"
for port in 8081 8082; do
    # The page reads the league: 200 only with the database, 503 without it.
    [[ $(status $port) == "HTTP/1.1 200 OK" ]] || falsch "the instance on port $port: $(status $port)"
done
vorUpgrade=()
for instanz in a b; do
    pid=$(hauptprozess "zundel-liga@$instanz")
    vorUpgrade+=("$pid")
    [[ $(tr '\0' ' ' <"/proc/$pid/cmdline") == "/usr/sbin/zundel-liga --listen 127.0.0.1:808"?" --proxy 127.0.0.1 --limit 30 " ]] ||
        falsch "zundel-liga@$instanz runs as: $(tr '\0' ' ' <"/proc/$pid/cmdline")"
    [[ $(tr '\0' '\n' <"/proc/$pid/environ") == *"password=$passwort"* ]] ||
        falsch "zundel-liga@$instanz has not the password in its environment"
done
for f in /proc/[0-9]*/cmdline; do
    [[ $(tr '\0' ' ' 2>/dev/null <"$f") != *"$passwort"* ]] || falsch "the password is in $f"
done

schritt "upgrade: apt-get install $neu"
apt install "$neu"
[[ $(dpkg-query -W -f='${Version}' zundel-liga) == "$version+1" ]] || falsch "the upgrade did not take"
einstellungenPruefen "after the upgrade"
[[ $(links) == "$wants/zundel-liga@a.service -> /usr/lib/systemd/system/zundel-liga@.service
$wants/zundel-liga@b.service -> /usr/lib/systemd/system/zundel-liga@.service" ]] ||
    falsch "the upgrade changed what is enabled: $(links)"
[[ $(aktiv zundel-liga@a zundel-liga@b zundel-liga) == "active active inactive" ]] ||
    falsch "after the upgrade: zundel-liga@a, @b and zundel-liga: $(aktiv zundel-liga@a zundel-liga@b zundel-liga)"
[[ "$(hauptprozess zundel-liga@a) $(hauptprozess zundel-liga@b)" != *"${vorUpgrade[0]}"* &&
    "$(hauptprozess zundel-liga@a) $(hauptprozess zundel-liga@b)" != *"${vorUpgrade[1]}"* ]] ||
    falsch "the upgrade did not restart the instances (${vorUpgrade[*]})"
for port in 8081 8082; do
    [[ $(status $port) == "HTTP/1.1 200 OK" ]] || falsch "after the upgrade, port $port: $(status $port)"
done

schritt "remove: apt-get remove zundel-liga"
apt remove zundel-liga
[[ $(dpkg-query -W -f='${Status}' zundel-liga) == "deinstall ok config-files" ]] ||
    falsch "after remove: $(dpkg-query -W -f='${Status}' zundel-liga)"
for f in /usr/sbin/zundel-liga /usr/lib/systemd/system/zundel-liga.service \
    /usr/lib/systemd/system/zundel-liga@.service; do
    [[ ! -e $f ]] || falsch "$f is still there after remove"
done
nichtsLaeuft "after remove"
[[ -z $(links) ]] || falsch "links left after remove: $(links)"
einstellungenPruefen "after remove"
for f in /var/lib/zundel-liga/liga.db /etc/default/zundel-liga-a /etc/default/zundel-liga-b \
    /etc/systemd/system/zundel-liga@.service.d/override.conf; do
    [[ -f $f ]] || falsch "remove took $f, which stays until a purge"
done

schritt "install again: apt-get install ./$deb"
apt install "./$deb"
[[ $(links) == "$wants/zundel-liga.service -> /usr/lib/systemd/system/zundel-liga.service" ]] ||
    falsch "installing again did not enable zundel-liga.service alone: $(links)"
[[ $(aktiv zundel-liga) == active ]] || falsch "installing again did not start zundel-liga: $(aktiv zundel-liga)"
[[ $(status 8080) == "HTTP/1.1 200 OK" ]] || falsch "zundel-liga on port 8080 after installing again: $(status 8080)"
einstellungenPruefen "after installing again"

schritt "purge: apt-get purge zundel-liga"
apt purge zundel-liga
[[ -z $(dpkg-query -W -f='${Status}' zundel-liga 2>/dev/null) ]] ||
    falsch "after purge: $(dpkg-query -W -f='${Status}' zundel-liga)"
nichtsLaeuft "after purge"
nachher=$(bestand)
uebrig=$(comm -13 <(echo "$vorher") <(echo "$nachher"))
[[ -z $uebrig ]] || falsch "left after purge: $uebrig"
weg=$(comm -23 <(echo "$vorher") <(echo "$nachher"))
[[ -z $weg ]] || falsch "gone after purge, though there before: $weg"
runuser -u postgres -- psql -q -c 'SELECT 1' liga >/dev/null ||
    falsch "the league's PostgreSQL database went with the package"

schritt "end"
exit $fehler
