// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "layout.h"

#include "zeiger.h"

void zeigerBewegt(TZeiger& zeiger, int32_t W, int32_t H, int32_t px, int32_t py) {
    zeiger.mausX = spalteBei(px);
    zeiger.mausY = zeileBei(py);
    zeiger.ueberGesicht = gesichtGetroffen(W, px, py);
    zeiger.ueberFeld = feldGetroffen(W, H, px, py);
}
