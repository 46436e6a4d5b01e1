// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Moments as the league's operator and players read them: in the server's local time zone.
#pragma once
#include <cstdint>
#include <string>

namespace liga {

// A moment in the server's local time zone, as strftime's `format` writes it; "-" when it
// cannot be told.
std::string localTimeText(int64_t secondsSince1970, const char* format);
// "08.12.2025": the day a time was received, in the server's local time zone.
std::string dateText(int64_t secondsSince1970);

} // namespace liga
