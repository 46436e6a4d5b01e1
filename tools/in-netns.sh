#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs CMD in a network namespace of its own, which ends with it:
#
#     tools/in-netns.sh CMD [ARG...]
#
# The namespace (unshare -n, as root) has its loopback alone, up, with the IPv6 prefix
# fd5a:6c69::/32 routed to it too and any address binding, so that CMD may send
# from any address of that prefix as from any of 127.0.0.0/8: many clients, many /64s,
# /56s of one /48, many /48s, and nothing leaves the machine. CMD finds the prefix in
#     ZUNDEL_NETNS_PREFIX   fd5a:6c69 (the first 32 bits)
set -euo pipefail

if (($# == 0)); then
    echo "usage: $0 CMD [ARG...]" >&2
    exit 2
fi
if [[ "$(id -u)" -ne 0 ]] || ! command -v unshare >/dev/null || ! command -v ip >/dev/null; then
    echo "in-netns: needs root, unshare (util-linux) and ip (iproute2)" >&2
    exit 1
fi

export ZUNDEL_NETNS_PREFIX=fd5a:6c69
exec unshare -n -- bash -c '
    set -euo pipefail
    ip link set lo up
    ip -6 route add local "$ZUNDEL_NETNS_PREFIX::/32" dev lo
    echo 1 >/proc/sys/net/ipv6/ip_nonlocal_bind
    exec "$@"' in-netns "$@"
