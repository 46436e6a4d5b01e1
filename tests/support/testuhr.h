// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "uhr.h"

// A clock the test sets by hand.
class TTestUhr final : public TUhr {
public:
    double tage = 45000.5;          // local date-time in days
    uint32_t utcMillis = 12345678u; // universal time of day in ms

    double jetzt() const override { return tage; }
    uint32_t utcTagesMillisekunden() const override { return utcMillis; }
    void vorstellen(double sekunden) { tage += sekunden / 86400.0; }
};
