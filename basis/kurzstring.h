// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// A short string of capacity 15 as the settings file stores it: one length byte and
// 15 character bytes (Windows-1252). Bytes past the length are kept as they are, so a
// record read and written again keeps whatever an earlier, longer name left there.
struct TKurzString15 {
    static constexpr std::size_t kapazitaet = 15;

    uint8_t laenge = 0;
    std::array<uint8_t, kapazitaet> zeichen{};

    // The characters that count: at most 15, even when a damaged length byte says more.
    std::string text() const {
        std::size_t n = laenge < kapazitaet ? laenge : kapazitaet;
        return std::string(reinterpret_cast<const char*>(zeichen.data()), n);
    }

    // Stores at most the first 15 bytes; leaves the bytes after them untouched.
    void setzen(std::string_view bytes) {
        std::size_t n = bytes.size() < kapazitaet ? bytes.size() : kapazitaet;
        for (std::size_t i = 0; i < n; ++i) zeichen[i] = static_cast<uint8_t>(bytes[i]);
        laenge = static_cast<uint8_t>(n);
    }

    bool operator==(const TKurzString15&) const = default;
};
