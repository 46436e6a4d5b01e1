#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Every file of the tree names its copyright and licence, in a header or through
# REUSE.toml, and every licence named has its text in LICENSES/: "reuse lint" on a copy of
# the tracked files (or of the whole tree outside build/, where there is no git).
#   reuse.sh SOURCE_DIR
set -euo pipefail
quelle=$1
command -v reuse >/dev/null || { echo "FAIL: reuse is missing; tools/ensure-deps.sh installs it" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if git -C "$quelle" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$quelle" ls-files -z | tar -C "$quelle" --null -T - -cf - | tar -C "$tmp" -xf -
else
    tar -C "$quelle" --exclude=./build --exclude=./.git -cf - . | tar -C "$tmp" -xf -
fi

# reuse before 3.0 (Debian 12's 1.1) knows only .reuse/dep5; give it one derived from
# REUSE.toml, which stays the one source.
if (($(reuse --version | grep -o '[0-9]\+' | head -1) < 3)); then
    mkdir "$tmp/.reuse"
    python3 - "$tmp/REUSE.toml" >"$tmp/.reuse/dep5" <<'PY'
import sys, tomllib
with open(sys.argv[1], "rb") as f:
    toml = tomllib.load(f)
print("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
for a in toml.get("annotations", []):
    pfade = a["path"] if isinstance(a["path"], list) else [a["path"]]
    for p in pfade:
        # dep5's "*" crosses folders like REUSE.toml's "**"; a lone "*" has no equivalent
        if "*" in p.replace("**", ""):
            sys.exit(f"REUSE.toml: {p}: only '**' translates to .reuse/dep5")
    urheber = a["SPDX-FileCopyrightText"]
    urheber = urheber if isinstance(urheber, list) else [urheber]
    print()
    print("Files:", " ".join(p.replace("**", "*") for p in pfade))
    print("Copyright:", "\n ".join(urheber))
    print("License:", a["SPDX-License-Identifier"])
PY
    rm "$tmp/REUSE.toml"
fi
reuse --root "$tmp" lint
