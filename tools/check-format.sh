#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ file differs from what .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t dateien < <(git ls-files '*.cpp' '*.h')
if ((${#dateien[@]} == 0)); then exit 0; fi
clang-format --dry-run --Werror "${dateien[@]}"
echo "format: ${#dateien[@]} files clean"
