// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "surface.h"

#include <cstdint>
#include <vector>

// Holds back the fills and sprite copies meant for one surface and draws them when its
// pixels are next looked at. Drawing the same list of fills and copies a second time
// changes nothing (each one sets a pixel to a value of its own or leaves it as it is), so
// catching up draws only where this list differs from the one drawn before, and only
// there has the picture changed: a frame composed anew every tick costs next to nothing
// while it stands still. Any other write to the surface makes the next catch-up draw
// everything. Once its lists have grown to the size of a frame it allocates nothing.
class TZeichenprotokoll final {
public:
    TZeichenprotokoll();
    ~TZeichenprotokoll();
    TZeichenprotokoll(const TZeichenprotokoll&) = delete;
    TZeichenprotokoll& operator=(const TZeichenprotokoll&) = delete;

    // Takes over the drawing onto `ziel`, letting go of a surface it had before; the whole
    // surface counts as changed. The sources of the copies must stay as they are until
    // they have been drawn, as sprite surfaces do.
    void anhaengen(Surface& ziel);
    // Lets go of the surface, which is being thrown away: what it holds back is dropped.
    void loslassen();

    // From FillSurface and DrawSprite: a fill of the whole surface, and a copy from
    // (qx, qy) of `quelle` to `ziel`, both rectangles already clipped to their surfaces.
    void fuellen(uint32_t farbe);
    void kopieren(const Surface& quelle, int32_t qx, int32_t qy, TRechteck ziel, bool transparent,
                  uint32_t schluessel);

    // Draws what it holds, where that changes the picture.
    void nachholen();
    // Whether it holds fills or copies not drawn yet.
    bool haeltZurueck() const { return ziel_ != nullptr && !neu_.empty(); }

    // Catches up, then tells what changed since the last call: true for the whole surface,
    // else the changed rectangles in `rects` (cleared first; they may overlap).
    bool aenderungenNehmen(std::vector<TRechteck>& rects);

    // For Surface: before its pixels are read or written.
    void vorZugriff(bool schreibend);

private:
    enum class TArt : uint8_t { fuellen, kopieren, schluessel };
    struct TBefehl {
        const Surface* quelle; // null for a fill
        uint64_t stand;        // the source's stand when recorded
        TRechteck ziel;
        int32_t qx, qy;
        uint32_t farbe; // fill colour or colour key
        TArt art;

        bool operator==(const TBefehl&) const = default;
    };

    void ausfuehren(const TBefehl& b, const TRechteck& bereich);
    void alles();

    Surface* ziel_ = nullptr;
    std::vector<TBefehl> neu_;     // recorded since the last catch-up
    std::vector<TBefehl> alt_;     // drawn by the last catch-up
    bool altGueltig_ = false;      // the surface holds what drawing alt_ again would leave
    std::vector<TRechteck> dreck_; // where neu_ and alt_ differ, while catching up
    std::vector<TRechteck> geaendert_;
    bool allesGeaendert_ = true;
};
