// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ligahost.h"

std::string ligaHost() {
    return ZUNDEL_LIGA_HOST;
}
