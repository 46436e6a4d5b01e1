// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "zeitrechnung.h"
#include <cfenv>
#include <cmath>
#include <limits>

namespace {

// Nearest integer, ties to even (the default rounding mode), held inside 32 bits.
int32_t gerundet(double wert) {
    if (std::isnan(wert)) return 0;
    const double r = std::nearbyint(wert);
    if (r >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

} // namespace

// Each product is taken in this order: another order may round the last bit differently
// and move a span that lies at a half of a unit to the other side of it.
int32_t sekundenAusTagen(double tage) {
    return gerundet(tage * 24 * 60 * 60);
}

int32_t zehntelAusTagen(double tage) {
    return gerundet(tage * 864000);
}
