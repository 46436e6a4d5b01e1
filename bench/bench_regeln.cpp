// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Laying the largest board and flooding it whole.
#include "bestzeit.h"
#include "spiel.h"
#include "stufen.h"
#include "uhr.h"
#include "zufall.h"
#include <benchmark/benchmark.h>
#include <memory>

namespace {

class TFesteUhr final : public TUhr {
public:
    double jetzt() const override { return 45000.5; }
    uint32_t utcTagesMillisekunden() const override { return 0; }
};

struct TBank {
    TZufall zufall;
    TFesteUhr uhr;
    TBestzeiten bestzeiten{};
    TSpiel spiel{zufall, uhr, bestzeiten};
};

void BM_FeldAnlegen999Minen(benchmark::State& state) {
    auto b = std::make_unique<TBank>();
    b->zufall.setzen(12345);
    b->spiel.feldGroesse(72, 56, 0);
    for (auto _ : state) {
        b->spiel.feldAnlegen(999);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FeldAnlegen999Minen);

void BM_FlutGanzesFeld(benchmark::State& state) {
    auto b = std::make_unique<TBank>();
    b->spiel.stufeAnlegen(stufeBenutzerdefiniert, 72, 56, 0);
    for (auto _ : state) {
        state.PauseTiming();
        b->spiel.feldAnlegen(0);
        state.ResumeTiming();
        b->spiel.aufdecken(36, 28);
        benchmark::ClobberMemory();
    }
    if (b->spiel.feld.aufgedeckt != 72 * 56) state.SkipWithError("flood did not open the board");
}
BENCHMARK(BM_FlutGanzesFeld);

// Clearing the board alone, the part of feldAnlegen that does not depend on the mines.
void BM_FeldLeeren(benchmark::State& state) {
    auto b = std::make_unique<TBank>();
    b->spiel.feldGroesse(72, 56, 0);
    for (auto _ : state) {
        b->spiel.feldAnlegen(0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FeldLeeren);

} // namespace

BENCHMARK_MAIN();
