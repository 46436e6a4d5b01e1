// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "zufall.h"
#include "uhr.h"

void TZufall::randomize(const TUhr& uhr) {
    zustand = uhr.utcTagesMillisekunden();
}
