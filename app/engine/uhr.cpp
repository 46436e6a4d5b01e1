// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "uhr.h"
#include <chrono>
#include <ctime>

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date. Years are taken to begin on
// 1 March, so that the leap day comes last, and counted in eras of 400 years, which all
// have 146,097 days.
int64_t tageSeit1970(int64_t jahr, int64_t monat, int64_t tag) {
    jahr -= monat <= 2 ? 1 : 0;
    const int64_t aera = (jahr >= 0 ? jahr : jahr - 399) / 400;
    const int64_t jahrDerAera = jahr - aera * 400;
    const int64_t tagDesJahres = (153 * (monat + (monat > 2 ? -3 : 9)) + 2) / 5 + tag - 1;
    const int64_t tagDerAera =
        jahrDerAera * 365 + jahrDerAera / 4 - jahrDerAera / 100 + tagDesJahres;
    return aera * 146097 + tagDerAera - 719468;
}

constexpr int64_t tage1899Bis1970 = 25569;
constexpr int64_t millisekundenProTag = 86400000;

} // namespace

double tageAusDatum(int jahr, int monat, int tag, int stunde, int minute, int sekunde,
                    int millisekunde) {
    const int64_t tage = tageSeit1970(jahr, monat, tag) + tage1899Bis1970;
    const int64_t ms =
        ((static_cast<int64_t>(stunde) * 60 + minute) * 60 + sekunde) * 1000 + millisekunde;
    return static_cast<double>(tage) +
           static_cast<double>(ms) / static_cast<double>(millisekundenProTag);
}

double TSystemUhr::jetzt() const {
    using namespace std::chrono;
    const auto jetzt = system_clock::now();
    const auto ms = duration_cast<milliseconds>(jetzt.time_since_epoch()).count();
    int64_t sekunden = ms / 1000;
    int64_t rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        sekunden -= 1;
    }
    const std::time_t t = static_cast<std::time_t>(sekunden);
    std::tm lokal{};
    if (localtime_r(&t, &lokal) == nullptr) gmtime_r(&t, &lokal);
    return tageAusDatum(lokal.tm_year + 1900, lokal.tm_mon + 1, lokal.tm_mday, lokal.tm_hour,
                        lokal.tm_min, lokal.tm_sec, static_cast<int>(rest));
}

uint32_t TSystemUhr::utcTagesMillisekunden() const {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    int64_t tagesMs = ms % millisekundenProTag;
    if (tagesMs < 0) tagesMs += millisekundenProTag;
    return static_cast<uint32_t>(tagesMs);
}
