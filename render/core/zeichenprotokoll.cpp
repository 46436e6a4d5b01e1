// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "zeichenprotokoll.h"
#include "bild.h"

#include <algorithm>

namespace {

// More rectangles than this become one around them all.
constexpr std::size_t hoechstensRechtecke = 16;

bool leer(const TRechteck& r) {
    return r.w <= 0 || r.h <= 0;
}

int64_t flaeche(const TRechteck& r) {
    return int64_t{r.w} * int64_t{r.h};
}

TRechteck schnitt(const TRechteck& a, const TRechteck& b) {
    const int32_t x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int32_t x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

TRechteck huelle(const TRechteck& a, const TRechteck& b) {
    const int32_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int32_t x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

// Adds r to the list, joining it to a rectangle that it touches without waste (neighbouring
// cells of a row or column), and keeping the list short.
void aufnehmen(std::vector<TRechteck>& liste, const TRechteck& r) {
    if (leer(r)) return;
    for (TRechteck& e : liste) {
        const TRechteck u = huelle(e, r);
        if (flaeche(u) <= flaeche(e) + flaeche(r)) {
            e = u;
            return;
        }
    }
    if (liste.size() < hoechstensRechtecke) {
        liste.push_back(r);
        return;
    }
    TRechteck u = r;
    for (const TRechteck& e : liste) u = huelle(u, e);
    liste.assign(1, u);
}

} // namespace

void zeichenprotokollVorZugriff(TZeichenprotokoll& protokoll, bool schreibend) {
    protokoll.vorZugriff(schreibend);
}

bool zeichenprotokollHaeltZurueck(const TZeichenprotokoll& protokoll) {
    return protokoll.haeltZurueck();
}

TZeichenprotokoll::TZeichenprotokoll() {
    dreck_.reserve(hoechstensRechtecke);
    geaendert_.reserve(hoechstensRechtecke);
}

TZeichenprotokoll::~TZeichenprotokoll() {
    loslassen();
}

void TZeichenprotokoll::anhaengen(Surface& ziel) {
    loslassen();
    ziel_ = &ziel;
    ziel.protokoll_ = this;
    alles();
}

void TZeichenprotokoll::loslassen() {
    if (ziel_ != nullptr) ziel_->protokoll_ = nullptr;
    ziel_ = nullptr;
    neu_.clear();
    alles();
}

void TZeichenprotokoll::alles() {
    altGueltig_ = false;
    allesGeaendert_ = true;
    geaendert_.clear();
}

void TZeichenprotokoll::fuellen(uint32_t farbe) {
    if (ziel_ == nullptr) return;
    neu_.push_back(
        {nullptr, 0, {0, 0, ziel_->width(), ziel_->height()}, 0, 0, farbe, TArt::fuellen});
}

void TZeichenprotokoll::kopieren(const Surface& quelle, int32_t qx, int32_t qy, TRechteck ziel,
                                 bool transparent, uint32_t schluessel) {
    neu_.push_back({&quelle, quelle.stand(), ziel, qx, qy, transparent ? schluessel : 0,
                    transparent ? TArt::schluessel : TArt::kopieren});
}

void TZeichenprotokoll::vorZugriff(bool schreibend) {
    nachholen();
    if (schreibend) alles(); // whatever is written, the next catch-up draws over all of it
}

void TZeichenprotokoll::ausfuehren(const TBefehl& b, const TRechteck& bereich) {
    const TRechteck r = schnitt(b.ziel, bereich);
    if (leer(r)) return;
    if (b.art == TArt::fuellen) {
        fillRect(*ziel_, r, b.farbe);
        return;
    }
    copyRect(*b.quelle, b.qx + (r.x - b.ziel.x), b.qy + (r.y - b.ziel.y), *ziel_, r,
             b.art == TArt::schluessel, b.farbe);
}

void TZeichenprotokoll::nachholen() {
    if (ziel_ == nullptr || neu_.empty()) return;
    const TRechteck ganz{0, 0, ziel_->width(), ziel_->height()};
    bool voll = !altGueltig_;
    if (!voll) {
        // Where the two lists differ, at the same place in the list or beyond the shorter
        // one, both the old and the new drawing must be drawn over.
        dreck_.clear();
        const std::size_t n = std::min(alt_.size(), neu_.size());
        for (std::size_t i = 0; i < n; ++i) {
            if (alt_[i] == neu_[i]) continue;
            aufnehmen(dreck_, alt_[i].ziel);
            aufnehmen(dreck_, neu_[i].ziel);
        }
        for (std::size_t i = n; i < alt_.size(); ++i) aufnehmen(dreck_, alt_[i].ziel);
        for (std::size_t i = n; i < neu_.size(); ++i) aufnehmen(dreck_, neu_[i].ziel);
        voll = std::any_of(dreck_.begin(), dreck_.end(), [&](const TRechteck& r) {
            return flaeche(schnitt(r, ganz)) == flaeche(ganz);
        });
    }
    // Drawn straight onto the surface, not back into this log.
    ziel_->protokoll_ = nullptr;
    if (voll) {
        for (const TBefehl& b : neu_) ausfuehren(b, ganz);
        allesGeaendert_ = true;
        geaendert_.clear();
    } else {
        for (const TBefehl& b : neu_) {
            for (const TRechteck& r : dreck_) ausfuehren(b, r);
        }
        if (!allesGeaendert_) {
            for (const TRechteck& r : dreck_) aufnehmen(geaendert_, schnitt(r, ganz));
        }
    }
    ziel_->protokoll_ = this;
    std::swap(alt_, neu_);
    neu_.clear();
    altGueltig_ = true;
}

bool TZeichenprotokoll::aenderungenNehmen(std::vector<TRechteck>& rects) {
    nachholen();
    rects.clear();
    const bool alles = allesGeaendert_;
    if (!alles) rects.assign(geaendert_.begin(), geaendert_.end());
    allesGeaendert_ = false;
    geaendert_.clear();
    return alles;
}
