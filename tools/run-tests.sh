#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, configures, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-deps.sh
cmake --preset debug
cmake --build --preset debug
ctest --preset debug -j2
