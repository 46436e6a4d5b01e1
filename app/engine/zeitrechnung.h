// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

// Elapsed spans in days turned into whole seconds and tenths, rounded to the nearest
// integer with ties to even; results beyond the 32-bit range are held at its ends.
int32_t sekundenAusTagen(double tage);
int32_t zehntelAusTagen(double tage);
