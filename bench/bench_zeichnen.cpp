// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Composing one frame (fill + zeichnen) against memset + memcpy of the same back
// surface, side by side in one run, and the allocations a frame makes; and the same frame
// composed through a drawing log, which draws only what changed, against composing it at once;
// and a frame tick that finds nothing changed.
#include "bestzeit.h"
#include "bildentscheidung.h"
#include "bildschluessel.h"
#include "drawlog.h"
#include "katalog.h"
#include "layout.h"
#include "spiel.h"
#include "spielzugang.h"
#include "uhr.h"
#include "zeichnen.h"
#include "zeiger.h"
#include "zufall.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {
std::atomic<long> anforderungen{0};
}

// A counting allocator for the whole binary. GCC cannot see that these pair up.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    anforderungen.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using TBilder = std::array<TPictureCollectionItem, spriteAnzahl>;

// Sprites of the catalogue's sizes; a copy costs the same whatever the pixels are.
TBilder bilderAnlegen() {
    TBilder b;
    for (int32_t i = 0; i < spriteAnzahl; ++i) {
        const TSpriteEintrag& e = spriteKatalog[static_cast<std::size_t>(i)];
        auto& item = b[static_cast<std::size_t>(i)];
        item.Transparent = e.transparent;
        item.TransparentColor = spriteTransparenzFarbe;
        item.surface.resize(e.breite, e.hoehe);
        for (int32_t y = 0; y < e.hoehe; ++y) {
            for (int32_t x = 0; x < e.breite; ++x) {
                item.surface.setPixel(x, y,
                                      (x + y) % 3 == 0 && e.transparent
                                          ? spriteTransparenzFarbe
                                          : 0x101010u * static_cast<uint32_t>(i % 15 + 1));
            }
        }
    }
    return b;
}

class TFesteUhr final : public TUhr {
public:
    double jetzt() const override { return 45000.5; }
    uint32_t utcTagesMillisekunden() const override { return 0; }
};

struct TSzene {
    TZufall zufall;
    TFesteUhr uhr;
    TBestzeiten bestzeiten{};
    std::unique_ptr<TSpiel> spiel;
    TZeiger zeiger;
    Surface ziel;
    std::vector<uint32_t> quelle;

    // A game in progress: a third of the cells open with counts, some flags and question
    // marks, and a chord held in the middle. Level 5 gets its banner. The game reads a
    // fixed clock unless it is given another.
    TSzene(int32_t W, int32_t H, int32_t stufe, const TUhr* andereUhr = nullptr)
        : spiel(std::make_unique<TSpiel>(zufall, andereUhr ? *andereUhr : uhr, bestzeiten)) {
        TSpielZugang s(*spiel);
        s.breite = W;
        s.hoehe = H;
        s.spielstufe = stufe;
        for (int32_t x = 1; x <= W; ++x) {
            for (int32_t y = 1; y <= H; ++y) {
                Tzelle& c = s.feld.zelle(x, y);
                c = Tzelle{(x * 7 + y * 3) % 9, TMarkierung::keine, false, (x + y) % 3 == 0};
                if (!c.offen && (x * y) % 11 == 0) c.markierung = TMarkierung::flagge;
                if (!c.offen && (x * y) % 13 == 0) c.markierung = TMarkierung::fragezeichen;
            }
        }
        s.feld.minen = 250;
        s.feld.flaggen = 12;
        mausBewegt(zeiger, zeigerOrt(W, H, clientBreite(W) / 2, clientHoehe(H) / 2));
        zeiger.linksUnten = zeiger.rechtsUnten = true;
        ziel.resize(clientBreite(W), clientHoehe(H));
        quelle.assign(static_cast<std::size_t>(ziel.width()) * ziel.height(), 0x00C0C0C0u);
    }
};

// The window's back surface for the scene, with its drawing log.
struct THinten {
    Surface flaeche;
    TDrawLog protokoll;
    std::vector<TRect> rects;

    explicit THinten(const TSzene& szene) : flaeche(szene.ziel.width(), szene.ziel.height()) {
        protokoll.attach(flaeche);
    }
};

void BM_Frame(benchmark::State& state) {
    const int32_t W = static_cast<int32_t>(state.range(0));
    const int32_t H = static_cast<int32_t>(state.range(1));
    const int32_t stufe = static_cast<int32_t>(state.range(2));
    static const TBilder bilder = bilderAnlegen();
    TSzene szene(W, H, stufe);
    const std::size_t bytes = szene.quelle.size() * sizeof(uint32_t);
    constexpr int runden = 8;

    using Uhr = std::chrono::steady_clock;
    double zeitFrame = 0, zeitKopie = 0;
    long allokationen = 0, frames = 0;
    for (auto _ : state) {
        // The two are interleaved so that both see the same machine.
        const auto t0 = Uhr::now();
        for (int i = 0; i < runden; ++i) {
            std::memset(szene.ziel.bits(), 0, bytes);
            std::memcpy(szene.ziel.bits(), szene.quelle.data(), bytes);
            benchmark::ClobberMemory();
        }
        const auto t1 = Uhr::now();
        const long vorher = anforderungen.load(std::memory_order_relaxed);
        for (int i = 0; i < runden; ++i) {
            FillSurface(&szene.ziel, 0);
            zeichnen(&szene.ziel, bilder, *szene.spiel, szene.zeiger, 123);
            benchmark::ClobberMemory();
        }
        allokationen += anforderungen.load(std::memory_order_relaxed) - vorher;
        const auto t2 = Uhr::now();
        zeitKopie += std::chrono::duration<double>(t1 - t0).count();
        zeitFrame += std::chrono::duration<double>(t2 - t1).count();
        frames += runden;
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count() / runden);
    }
    state.counters["frame_us"] = zeitFrame / frames * 1e6;
    state.counters["memcpy_us"] = zeitKopie / frames * 1e6;
    state.counters["ratio"] = zeitFrame / zeitKopie;
    state.counters["allocs_per_frame"] = static_cast<double>(allokationen) / frames;
    state.SetLabel(std::to_string(szene.ziel.width()) + "x" + std::to_string(szene.ziel.height()));
}

BENCHMARK(BM_Frame)
    ->ArgNames({"W", "H", "level"})
    ->Args({8, 8, 1})
    ->Args({16, 16, 2})
    ->Args({30, 16, 3})
    ->Args({36, 24, 4})
    ->Args({40, 30, 5})
    ->Args({72, 56, 6})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Frame ticks through the back surface's drawing log: the frame composed anew, drawn where
// it differs from the last one, and the changes taken for the window. With `uhr` the clock
// moves on every frame (three digits change, the most of an untouched running game), else
// the frame stands still. Against composing the same frame at once, interleaved.
void BM_FrameMitProtokoll(benchmark::State& state) {
    const int32_t W = static_cast<int32_t>(state.range(0));
    const int32_t H = static_cast<int32_t>(state.range(1));
    const bool uhr = state.range(3) != 0;
    static const TBilder bilder = bilderAnlegen();
    TSzene szene(W, H, static_cast<int32_t>(state.range(2)));
    THinten h(szene);
    Surface& hinten = h.flaeche;
    TDrawLog& protokoll = h.protokoll;
    std::vector<TRect>& rects = h.rects;
    constexpr int runden = 8;

    using Uhr = std::chrono::steady_clock;
    double zeitProtokoll = 0, zeitSofort = 0;
    long allokationen = 0, frames = 0, geaendert = 0;
    int32_t t = 100;
    for (int32_t z : {t, t + 1, t}) { // the first frames draw everything and grow the lists
        FillSurface(&hinten, 0);
        zeichnen(&hinten, bilder, *szene.spiel, szene.zeiger, z);
        protokoll.takeChanges(rects);
    }
    for (auto _ : state) {
        const auto t0 = Uhr::now();
        for (int i = 0; i < runden; ++i) {
            FillSurface(&szene.ziel, 0);
            zeichnen(&szene.ziel, bilder, *szene.spiel, szene.zeiger, t);
            benchmark::ClobberMemory();
        }
        const auto t1 = Uhr::now();
        const long vorher = anforderungen.load(std::memory_order_relaxed);
        for (int i = 0; i < runden; ++i) {
            if (uhr) t = t == 999 ? 100 : t + 1;
            FillSurface(&hinten, 0);
            zeichnen(&hinten, bilder, *szene.spiel, szene.zeiger, t);
            if (protokoll.takeChanges(rects) || !rects.empty()) ++geaendert;
            benchmark::ClobberMemory();
        }
        allokationen += anforderungen.load(std::memory_order_relaxed) - vorher;
        const auto t2 = Uhr::now();
        zeitSofort += std::chrono::duration<double>(t1 - t0).count();
        zeitProtokoll += std::chrono::duration<double>(t2 - t1).count();
        frames += runden;
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count() / runden);
    }
    state.counters["logged_us"] = zeitProtokoll / frames * 1e6;
    state.counters["at_once_us"] = zeitSofort / frames * 1e6;
    state.counters["ratio"] = zeitProtokoll / zeitSofort;
    state.counters["changed_frames"] = static_cast<double>(geaendert) / frames;
    state.counters["allocs_per_frame"] = static_cast<double>(allokationen) / frames;
    state.SetLabel(std::to_string(hinten.width()) + "x" + std::to_string(hinten.height()));
}

BENCHMARK(BM_FrameMitProtokoll)
    ->ArgNames({"W", "H", "level", "clock"})
    ->Args({8, 8, 1, 0})
    ->Args({40, 30, 5, 0})
    ->Args({40, 30, 5, 1})
    ->Args({72, 56, 6, 0})
    ->Args({72, 56, 6, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// A frame tick on a game that stands still, as the window runs it without the wait for the
// refresh: the game's clock step on the system clock, the seconds (999: the clock stands at
// its end), the key against the frame last composed (which the surface holds), and the
// changes taken for the window, of which there are none.
void BM_UnveraenderterTakt(benchmark::State& state) {
    const int32_t W = static_cast<int32_t>(state.range(0));
    const int32_t H = static_cast<int32_t>(state.range(1));
    static const TBilder bilder = bilderAnlegen();
    const TSystemUhr systemUhr;
    TSzene szene(W, H, static_cast<int32_t>(state.range(2)), &systemUhr);
    THinten h(szene);
    Surface& hinten = h.flaeche;
    TDrawLog& protokoll = h.protokoll;
    std::vector<TRect>& rects = h.rects;
    TSpiel& spiel = *szene.spiel;
    spiel.takt();
    TBildSchluessel letztes =
        bildZusammensetzen(&hinten, bilder, spiel, szene.zeiger, spiel.uhrSekunden());
    protokoll.takeChanges(rects);

    long allokationen = 0, zusammengesetzt = 0, geaendert = 0;
    const long vorher = anforderungen.load(std::memory_order_relaxed);
    for (auto _ : state) {
        spiel.takt();
        const int32_t t = spiel.uhrSekunden();
        if (bildAuffrischen(TBildAnlass::takt, letztes, &hinten, bilder, spiel, szene.zeiger, t))
            ++zusammengesetzt;
        if (protokoll.takeChanges(rects) || !rects.empty()) ++geaendert;
        benchmark::ClobberMemory();
    }
    allokationen = anforderungen.load(std::memory_order_relaxed) - vorher;
    const double ticks = static_cast<double>(state.iterations());
    state.counters["composed_per_tick"] = static_cast<double>(zusammengesetzt) / ticks;
    state.counters["changed_per_tick"] = static_cast<double>(geaendert) / ticks;
    state.counters["allocs_per_tick"] = static_cast<double>(allokationen) / ticks;
    state.SetLabel(std::to_string(hinten.width()) + "x" + std::to_string(hinten.height()));
}

BENCHMARK(BM_UnveraenderterTakt)
    ->ArgNames({"W", "H", "level"})
    ->Args({30, 16, 3})
    ->Args({40, 30, 5})
    ->Args({72, 56, 6})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
