#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# A build to play needs neither GoogleTest nor Google Benchmark nor the league server's
# SQLite: configure with them hidden and the tests switched off, and look that no test,
# benchmark or league server is left in it.
#   ohne_tests.sh CMAKE SOURCE_DIR
set -euo pipefail
cmake=$1 quelle=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cmake" -S "$quelle" -B "$tmp" -G Ninja -DBUILD_TESTING=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_SQLite3=ON >"$tmp/log" 2>&1 ||
    { cat "$tmp/log" >&2; exit 1; }
ziele=$(ninja -C "$tmp" -t targets all)
if grep -E '(^|/)((test|bench)_[^/:]*|zundel-liga):' <<<"$ziele"; then
    echo "FAIL: tests, benchmarks or the league server in a build without tests" >&2
    exit 1
fi
grep -q '/zundelfeld: ' <<<"$ziele" || { echo "FAIL: no game in the build" >&2; exit 1; }
