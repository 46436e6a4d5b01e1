// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

// Date-time values are days since 1899-12-30 plus the fraction of the day.
constexpr double sekundeInTagen = 1.0 / 86400.0;

// The clock the engine reads; handed in so that tests can set it.
class TUhr {
public:
    virtual ~TUhr() = default;
    // Local date and time of day in days, millisecond resolution.
    virtual double jetzt() const = 0;
    // Universal time of day in milliseconds since midnight.
    virtual uint32_t utcTagesMillisekunden() const = 0;
};

class TSystemUhr final : public TUhr {
public:
    double jetzt() const override;
    uint32_t utcTagesMillisekunden() const override;
};

// Days since 1899-12-30 of a civil date and time (no time zone involved).
double tageAusDatum(int jahr, int monat, int tag, int stunde, int minute, int sekunde,
                    int millisekunde);
