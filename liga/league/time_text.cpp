// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "time_text.h"
#include "zeittext.h"

namespace liga {

namespace {

std::string twoDigits(int32_t n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

} // namespace

std::string timeText(int32_t tenths) {
    if (tenths < 600) return zeitText(tenths);
    const int32_t seconds = tenths / 10;
    const std::string secondsAndTenth = twoDigits(seconds % 60) + "," + std::to_string(tenths % 10);
    if (seconds < 3600) return std::to_string(seconds / 60) + ":" + secondsAndTenth + " min";
    return std::to_string(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
           secondsAndTenth + " h";
}

std::string shortTimeText(int32_t tenths) {
    if (tenths >= 600) return timeText(tenths);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " s";
}

std::string countText(int64_t n) {
    const std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out = n < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}

} // namespace liga
