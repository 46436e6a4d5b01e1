// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string_view>

// What a best-time holder's name may be: 6 to 15 of 75 characters, padded with blanks
// to 15 when the name entry hands it back.
constexpr std::size_t kuerzesterName = 6;
constexpr std::size_t laengsterName = 15;

// True for the 75 characters a name may hold: digits, A-Z, a-z and ! # ( ) , - . / = ? [ ] _
constexpr bool namenszeichenErlaubt(char32_t c) {
    if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'))
        return true;
    return c < 0x80 &&
           std::string_view("!#(),-./=?[]_").find(static_cast<char>(c)) != std::string_view::npos;
}
