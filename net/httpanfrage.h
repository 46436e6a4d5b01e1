// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Helpers for the request header lines.

// Base64 with the RFC 2045 alphabet and "=" padding.
std::string base64Kodieren(std::string_view daten);

// A date-time (days since 1899-12-30) as "Www, dd Mmm yyyy hh:mm:ss", used unchanged.
std::string httpDatum(double tage);

// A whole decimal (or $/0x hexadecimal) 32-bit number, blanks allowed in front; anything else
// raises std::invalid_argument.
int32_t httpZahl(std::string_view text);
