// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Gives the form the desktop's default sans-serif at `pixel` pixels, bold if asked, and
// shrinks it a pixel at a time until the text of every label, button and group box fits
// the control's fixed geometry (the forms' sizes were laid out for narrower fonts).
void schriftAnpassen(QWidget* form, int pixel, bool fett);
