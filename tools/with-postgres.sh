#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs CMD with a PostgreSQL server of its own, and removes the server afterwards:
#
#     tools/with-postgres.sh CMD [ARG...]
#
# The server comes from Debian's postgresql package (/usr/lib/postgresql/N/bin, the newest
# N), lives in a fresh temporary folder, runs as an unprivileged user (nobody, when this
# script runs as root) and listens on a Unix socket in that folder alone, never on a
# network address. CMD finds it through
#     ZUNDEL_PG       a libpq connection string for its database "postgres"
#     ZUNDEL_PG_CTL   a command that takes "stop" or "start", to take the server away and
#                     bring it back in the middle of a test
# The role zundel_passwort, when a test makes it, logs in with its password only.
# The server is stopped and its folder removed however CMD ends; the exit status is CMD's.
set -euo pipefail

if (($# == 0)); then
    echo "usage: $0 CMD [ARG...]" >&2
    exit 2
fi

# The newest version (sort -V: 17 comes after 9).
bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [[ -z "$bin" || ! -x "$bin/initdb" || ! -x "$bin/pg_ctl" ]]; then
    echo "with-postgres: no PostgreSQL server found (apt-get install postgresql)" >&2
    exit 1
fi

ordner="$(mktemp -d /tmp/zundel-pg.XXXXXX)"
als=()
if [[ "$(id -u)" -eq 0 ]]; then
    chown nobody:nogroup "$ordner"
    als=(runuser -u nobody --)
fi
daten="$ordner/daten"

aufraeumen() {
    if [[ -f "$daten/postmaster.pid" ]]; then
        "${als[@]}" "$bin/pg_ctl" -D "$daten" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$ordner"
}
trap aufraeumen EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"${als[@]}" "$bin/initdb" -D "$daten" -U zundel --auth=trust --no-sync -E UTF8 \
    --locale=C >"$ordner/initdb.log" 2>&1 || {
    cat "$ordner/initdb.log" >&2
    exit 1
}
# One role has to give its password, so that a test sees a password arrive by the way the
# league's service hands it on; every other role is trusted.
"${als[@]}" sed -i '1i local all zundel_passwort scram-sha-256' "$daten/pg_hba.conf"
# No TCP at all; the socket in the folder, which only its owner (and root) can enter.
# Dynamic shared memory in files, so that a root without /dev/shm serves too.
optionen="-c listen_addresses='' -k $ordner -c dynamic_shared_memory_type=mmap"
cat >"$ordner/ctl" <<EOF
#!/bin/sh
# stop | start the test server
case "\$1" in
stop) exec ${als[*]} "$bin/pg_ctl" -D "$daten" -m fast -w -t 30 stop ;;
start) exec ${als[*]} "$bin/pg_ctl" -D "$daten" -l "$ordner/server.log" -w -t 30 -o "$optionen" start ;;
*) echo "usage: \$0 stop|start" >&2; exit 2 ;;
esac
EOF
chmod 755 "$ordner/ctl"
"$ordner/ctl" start >/dev/null || {
    cat "$ordner/server.log" >&2
    exit 1
}

export ZUNDEL_PG="host=$ordner port=5432 user=zundel dbname=postgres"
export ZUNDEL_PG_CTL="$ordner/ctl"
set +e
"$@"
status=$?
set -e
exit "$status"
