#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, configures, builds and runs the whole test suite, the league's
# PostgreSQL cases on a server of their own (tools/with-postgres.sh), which must be there.
# ZUNDEL_WERROR=ON (as CI sets it) makes warnings errors; ZUNDEL_TESTS_EXCEPT=LABEL leaves
# out the tests of a label (CI runs the browser's once, not on each system).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure-deps.sh
cmake --preset debug -DZUNDEL_WERROR="${ZUNDEL_WERROR:-OFF}"
cmake --build --preset debug
export ZUNDEL_PG_REQUIRED=1
tools/with-postgres.sh ctest --preset debug -j2 ${ZUNDEL_TESTS_EXCEPT:+-LE "$ZUNDEL_TESTS_EXCEPT"}
