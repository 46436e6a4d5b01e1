#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs CMD behind an nginx of its own, and stops nginx afterwards:
#
#     tools/with-nginx.sh CMD [ARG...]
#
# nginx comes from Debian's package and runs the league's site file
# (liga/dist/nginx/zundel-liga, the one README gives) as it stands, but for its ports: it
# listens on 127.0.0.1 and [::1] rather than on port 80 of every address, and passes to
# two free ports of 127.0.0.1, where CMD starts the two servers, rather than to 8081 and
# 8082. It runs unprivileged (as nobody when this script runs as root), with its pid file,
# temporary files and logs in a fresh temporary folder, and a main configuration that
# keeps Debian's defaults (two workers of 768 connections each). CMD finds it through
#     ZUNDEL_NGINX            127.0.0.1:PORT
#     ZUNDEL_NGINX_V6         [::1]:PORT
#     ZUNDEL_NGINX_UPSTREAMS  "PORT1 PORT2": where CMD starts the servers, each with
#                             --proxy 127.0.0.1
#     ZUNDEL_NGINX_LOG        nginx's error log
# nginx is stopped and its folder removed however CMD ends; the exit status is CMD's.
set -euo pipefail

if (($# == 0)); then
    echo "usage: $0 CMD [ARG...]" >&2
    exit 2
fi
nginx="$(command -v nginx || true)"
[[ -z "$nginx" && -x /usr/sbin/nginx ]] && nginx=/usr/sbin/nginx
if [[ -z "$nginx" ]]; then
    echo "with-nginx: no nginx found (apt-get install nginx)" >&2
    exit 1
fi
site="$(cd "$(dirname "$0")/.." && pwd)/liga/dist/nginx/zundel-liga"

# Four ports nobody listens on at the moment of asking.
read -r port port6 up1 up2 < <(python3 - <<'PY'
import socket
held = []
for family, host in ((socket.AF_INET, "127.0.0.1"),) * 4:
    s = socket.socket(family)
    s.bind((host, 0))
    held.append(s)
print(*(s.getsockname()[1] for s in held))
PY
)

ordner="$(mktemp -d /tmp/zundel-nginx.XXXXXX)"
als=()
if [[ "$(id -u)" -eq 0 ]]; then
    chown nobody:nogroup "$ordner"
    als=(runuser -u nobody --)
fi

meister=""
aufraeumen() {
    if [[ -n "$meister" ]]; then
        # To nginx itself: runuser passes no signal on.
        kill -QUIT "$(cat "$ordner/nginx.pid" 2>/dev/null || echo "$meister")" 2>/dev/null || true
        wait "$meister" 2>/dev/null || true
    fi
    rm -rf "$ordner"
}
trap aufraeumen EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The site file with its ports; each line must be there, so that the file and this
# script cannot part ways unnoticed.
konfiguration="$(cat "$site")"
ersetzen() {
    [[ "$konfiguration" == *"$1"* ]] || {
        echo "with-nginx: $site has no line '$1'" >&2
        exit 1
    }
    konfiguration="${konfiguration//"$1"/"$2"}"
}
ersetzen "listen 80 default_server;" "listen 127.0.0.1:$port default_server;"
ersetzen "listen [::]:80 default_server;" "listen [::1]:$port6 default_server;"
ersetzen "server 127.0.0.1:8081;" "server 127.0.0.1:$up1;"
ersetzen "server 127.0.0.1:8082;" "server 127.0.0.1:$up2;"
printf '%s\n' "$konfiguration" >"$ordner/site.conf"

cat >"$ordner/nginx.conf" <<CONF
worker_processes 2;
pid $ordner/nginx.pid;
error_log $ordner/error.log;
events {
    worker_connections 768;
}
http {
    sendfile on;
    tcp_nopush on;
    keepalive_timeout 65;
    access_log off;
    client_body_temp_path $ordner/body;
    proxy_temp_path $ordner/proxy;
    fastcgi_temp_path $ordner/fastcgi;
    uwsgi_temp_path $ordner/uwsgi;
    scgi_temp_path $ordner/scgi;
    include $ordner/site.conf;
}
CONF
chown -R "${als[@]:+nobody:nogroup}" "$ordner" 2>/dev/null || true

# In the foreground of a child of this script, which waits for it at the end.
"${als[@]}" "$nginx" -q -p "$ordner" -e "$ordner/error.log" -c "$ordner/nginx.conf" \
    -g "daemon off;" &
meister=$!
for _ in $(seq 100); do
    [[ -s "$ordner/nginx.pid" ]] && break
    kill -0 "$meister" 2>/dev/null || {
        cat "$ordner/error.log" >&2
        exit 1
    }
    sleep 0.05
done

export ZUNDEL_NGINX="127.0.0.1:$port" ZUNDEL_NGINX_V6="[::1]:$port6"
export ZUNDEL_NGINX_UPSTREAMS="$up1 $up2" ZUNDEL_NGINX_LOG="$ordner/error.log"
set +e
"$@"
status=$?
set -e
exit "$status"
