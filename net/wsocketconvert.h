// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The blocking conversions Connect uses; each raises ESocketException.

// Drops the characters up to the blank (codes 0 to 32) at both ends.
std::string wsocketTrim(std::string_view text);

// Four numbers 0..255 joined by three dots, blanks around allowed.
bool WSocketIsDottedIP(std::string_view text);

// Leading blanks, then decimal digits up to the first non-digit; none gives 0.
uint32_t wsocketNumber(std::string_view text);

// Names under the reserved top-level domain "invalid" never resolve and are never asked.
bool reservedName(std::string_view name);

// IPv4 address in network byte order.
uint32_t WSocketResolveHost(const std::string& host);
// Port in network byte order.
uint16_t WSocketResolvePort(const std::string& port, const std::string& proto);
// Protocol number.
int WSocketResolveProto(const std::string& proto);
