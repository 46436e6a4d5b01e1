// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "bildschluessel.h"
#include "blit.h"
#include "katalog.h"

#include <array>
#include <cstdint>

class TSpiel;

// Why a frame is asked for. Frame ticks run only while the application is active; a
// window without the focus gets its frames from the window system's repaints alone.
enum class TBildAnlass : uint8_t {
    takt,             // the frame tick
    anstrichMitTakt,  // a repaint while ticks run
    anstrichOhneTakt, // a repaint while none runs: a window without the focus, or the
                      // name entry open
};

// The one decision whether a frame must be composed, for the frame tick and for a repaint
// alike. `jetzt` is the key of the frame the state would compose now, `letztes` the key of
// the frame last composed on the surface:
// - the frame tick's decision to compose nothing: the surface holds this very frame;
// - the frame tick composes every other frame;
// - the first frame of a window, also of one without the focus, which no tick draws: a
//   repaint composes whenever the surface holds no frame of ours (or was remade);
// - a repaint while ticks run composes nothing more: the next tick composes, and the
//   repaint shows the last frame;
// - a repaint of a window without the focus composes when the board or the level has
//   changed; the pointer and the clock stand still on the screen meanwhile.
bool bildNoetig(TBildAnlass anlass, const TBildSchluessel& jetzt, const TBildSchluessel& letztes);

// Composes the frame onto `ziel` when bildNoetig says so, and keeps its key in `letztes`.
// True when a frame was composed.
bool bildAuffrischen(TBildAnlass anlass, TBildSchluessel& letztes, Surface* ziel,
                     const std::array<TPictureCollectionItem, spriteAnzahl>& bilder,
                     const TSpiel& spiel, const TZeiger& zeiger, int32_t t);
