// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A decimal number that is the whole of a command-line value, as the options take them.
#pragma once
#include <charconv>
#include <optional>
#include <string_view>

namespace liga {

template <class T> std::optional<T> wholeNumber(std::string_view text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace liga
