// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Percent-encoding of the bytes in a URL's path and query.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace liga {

// "%2F" read as "/", either case of hex digit; with `plusIsBlank`, as a query's form data
// has it, "+" reads as a blank. Nothing when a "%" is not followed by two hex digits.
std::optional<std::string> percentDecode(std::string_view text, bool plusIsBlank = false);

// Every byte but A-Z, a-z, 0-9, "-", ".", "_" and "~" as "%XX", so that the text stands as
// one path segment or one query value whatever it holds.
std::string percentEncode(std::string_view text);

} // namespace liga
