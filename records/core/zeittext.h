// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

// A best time for reading: whole seconds, a comma, the tenths digit and " Sekunden";
// 123 tenths read "12,3 Sekunden".
std::string zeitText(int32_t zehntel);
