// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

class QScreen;

// Measuring aid for bench/messen.sh. Built with ZUNDEL_FRAMEZAEHLER it writes to stderr
// the wall-clock time of the first frame shown and the screen's refresh rate, the frames shown in
// each second, and for each mouse release the wall-clock time of the next frame shown and the
// microseconds from the release handler to it; otherwise it does nothing. The layout is the same
// either way, so code built without the option can include it.
class TFrameZaehler final {
public:
    // The screen's refresh rate is asked for once, with the first frame, and only when
    // measuring: the frame tick does not pay for it otherwise.
    void bildGezeigt(const QScreen* bildschirm);
    void losgelassen();

private:
    int64_t sekundeBeginn_ = 0; // steady ns; 0 before the first frame
    int64_t losgelassenUm_ = 0; // steady ns of a release not yet shown; 0 when none
    int32_t bilder_ = 0;
};
