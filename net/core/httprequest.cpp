// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httprequest.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

std::vector<std::string> requestLines(const THttpRequestHeader& a) {
    std::vector<std::string> z;
    z.push_back(a.method + " " + a.target + " HTTP/1.0");
    if (!a.from.empty()) z.push_back("From: " + a.from);
    if (!a.accept.empty()) z.push_back("Accept: " + a.accept);
    if (!a.referer.empty()) z.push_back("Referer: " + a.referer);
    if (a.method == "POST" && !a.contentType.empty()) z.push_back("Content-Type: " + a.contentType);
    if (!a.userAgent.empty()) z.push_back("User-Agent: " + a.userAgent);
    z.push_back("Host: " + a.host);
    if (a.noCache) z.push_back("Pragma: no-cache");
    if (a.modifiedSince != 0)
        z.push_back("If-Modified-Since: " + httpDate(a.modifiedSince) + " GMT");
    if (!a.user.empty()) z.push_back("Authorization: Basic " + base64Encode(a.user + ":" + a.pass));
    if (!a.proxyUser.empty())
        z.push_back("Proxy-Authorization: Basic " + base64Encode(a.proxyUser + ":" + a.proxyPass));
    if (!a.cookie.empty()) z.push_back("Cookie: " + a.cookie);
    if (!a.rangeBegin.empty() || !a.rangeEnd.empty())
        z.push_back("Range: bytes=" + a.rangeBegin + "-" + a.rangeEnd);
    return z;
}

std::string base64Encode(std::string_view d) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < d.size(); i += 3) {
        uint32_t w = static_cast<uint8_t>(d[i]) << 16 | static_cast<uint8_t>(d[i + 1]) << 8 |
                     static_cast<uint8_t>(d[i + 2]);
        for (int k = 18; k >= 0; k -= 6) out += alphabet[(w >> k) & 63];
    }
    if (i < d.size()) {
        uint32_t w = static_cast<uint8_t>(d[i]) << 16;
        if (i + 1 < d.size()) w |= static_cast<uint8_t>(d[i + 1]) << 8;
        out += alphabet[(w >> 18) & 63];
        out += alphabet[(w >> 12) & 63];
        out += i + 1 < d.size() ? alphabet[(w >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string httpDate(double days) {
    // Whole days since 1899-12-30 (a Saturday); the fraction is the time of day.
    double whole = std::floor(days);
    int64_t day = static_cast<int64_t>(whole);
    int64_t ms = std::llround((days - whole) * 86400000.0);
    if (ms >= 86400000) {
        ++day;
        ms -= 86400000;
    }
    int64_t seconds = ms / 1000;
    // Civil date from the days since 1970-01-01.
    int64_t z = day - 25569 + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    static constexpr char weekdays[] = "MonTueWedThuFriSatSun";
    static constexpr char months[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    int64_t wt = ((day % 7) + 7 + 5) % 7; // 0 = Monday; day 0 was a Saturday
    char text[64];
    std::snprintf(text, sizeof text, "%.3s, %2.2d %.3s %4.4d %2.2d:%2.2d:%2.2d", weekdays + 3 * wt,
                  static_cast<int>(d), months + 3 * (m - 1), static_cast<int>(y),
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return text;
}

int32_t httpNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        throw std::invalid_argument("'" + std::string(s) + "' is not a valid integer value");
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int digit = c >= '0' && c <= '9'                 ? c - '0'
                    : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
        if (digit < 0 || value > (int64_t{1} << 33))
            throw std::invalid_argument("'" + std::string(s) + "' is not a valid integer value");
        value = value * base + digit;
    }
    if (negative) value = -value;
    if (base == 16 && value > 0xFFFFFFFFLL)
        throw std::invalid_argument("'" + std::string(s) + "' is not a valid integer value");
    if (base == 16 && value > INT32_MAX) value -= int64_t{1} << 32; // hexadecimal wraps
    if (value < INT32_MIN || value > INT32_MAX)
        throw std::invalid_argument("'" + std::string(s) + "' is not a valid integer value");
    return static_cast<int32_t>(value);
}
