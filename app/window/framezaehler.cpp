// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "framezaehler.h"

#ifdef ZUNDEL_FRAMEZAEHLER
#include <QScreen>
#include <chrono>
#include <cstdio>

namespace {
int64_t stetigNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
int64_t wanduhrNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}
} // namespace

void TFrameZaehler::bildGezeigt(const QScreen* bildschirm) {
    const int64_t jetzt = stetigNs();
    if (sekundeBeginn_ == 0) {
        std::fprintf(stderr, "messung erstes-bild %lld\n", static_cast<long long>(wanduhrNs()));
        std::fprintf(stderr, "messung bildwiederholrate %.2f\n",
                     bildschirm ? bildschirm->refreshRate() : 0.0);
        sekundeBeginn_ = jetzt;
    }
    if (losgelassenUm_ != 0) {
        std::fprintf(stderr, "messung bild-nach-loslassen %lld %lld\n",
                     static_cast<long long>(wanduhrNs()),
                     static_cast<long long>((jetzt - losgelassenUm_) / 1000));
        losgelassenUm_ = 0;
    }
    ++bilder_;
    if (jetzt - sekundeBeginn_ >= 1'000'000'000) {
        const double sek = static_cast<double>(jetzt - sekundeBeginn_) / 1e9;
        std::fprintf(stderr, "messung bilder-pro-sekunde %.1f\n", bilder_ / sek);
        sekundeBeginn_ = jetzt;
        bilder_ = 0;
    }
}

void TFrameZaehler::losgelassen() {
    losgelassenUm_ = stetigNs();
}

#else

void TFrameZaehler::bildGezeigt(const QScreen*) {}
void TFrameZaehler::losgelassen() {}

#endif
