// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "conditional.h"

#include <array>
#include <charconv>

namespace liga {

namespace {

constexpr std::array<std::string_view, 7> days = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> longDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 12> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int64_t year, month, day;
};

Civil civilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

// Reads what the text holds at its front and moves past it; each returns false when the
// front is not what it expects.
struct Reader {
    std::string_view text;

    bool literal(std::string_view what) {
        if (!text.starts_with(what)) return false;
        text.remove_prefix(what.size());
        return true;
    }
    template <std::size_t N> bool oneOf(const std::array<std::string_view, N>& names, int& index) {
        for (std::size_t i = 0; i < N; ++i)
            if (literal(names[i])) {
                index = static_cast<int>(i);
                return true;
            }
        return false;
    }
    // Exactly `width` digits; a leading blank in place of a digit when `blankPadded`.
    bool digits(std::size_t width, int& value, bool blankPadded = false) {
        if (text.size() < width) return false;
        std::string_view field = text.substr(0, width);
        if (blankPadded && field.front() == ' ') field.remove_prefix(1);
        for (const char c : field)
            if (c < '0' || c > '9') return false;
        std::from_chars(field.data(), field.data() + field.size(), value);
        text.remove_prefix(width);
        return true;
    }
    bool clock(int& h, int& m, int& s) {
        return digits(2, h) && literal(":") && digits(2, m) && literal(":") && digits(2, s);
    }
};

std::optional<int64_t> moment(int year, int month, int day, int h, int m, int s) {
    if (month < 0 || month > 11 || day < 1 || day > 31 || h > 23 || m > 59 || s > 60)
        return std::nullopt;
    const Civil back = civilFromDays(daysFromCivil(year, month + 1, day));
    if (back.day != day) return std::nullopt; // 31 November and the like
    return daysFromCivil(year, month + 1, day) * 86400 + h * 3600 + m * 60 + s;
}

} // namespace

std::string httpDate(int64_t t) {
    const int64_t dayNumber = (t >= 0 ? t : t - 86399) / 86400;
    const int64_t second = t - dayNumber * 86400;
    const Civil c = civilFromDays(dayNumber);
    const auto two = [](int64_t v) {
        return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10);
    };
    std::string out(days[static_cast<std::size_t>(((dayNumber % 7) + 11) % 7)]);
    out += ", " + two(c.day) + " " + std::string(months[static_cast<std::size_t>(c.month - 1)]) +
           " " + std::to_string(c.year) + " " + two(second / 3600) + ":" + two(second / 60 % 60) +
           ":" + two(second % 60) + " GMT";
    return out;
}

std::optional<int64_t> parseHttpDate(std::string_view text) {
    int day = 0, month = 0, year = 0, h = 0, m = 0, s = 0, weekday = 0;
    // "Sun, 06 Nov 1994 08:49:37 GMT"
    Reader a{text};
    if (a.oneOf(days, weekday) && a.literal(", ") && a.digits(2, day) && a.literal(" ") &&
        a.oneOf(months, month) && a.literal(" ") && a.digits(4, year) && a.literal(" ") &&
        a.clock(h, m, s) && a.literal(" GMT") && a.text.empty())
        return moment(year, month, day, h, m, s);
    // "Sunday, 06-Nov-94 08:49:37 GMT": a year of two digits is the one nearest to now.
    Reader b{text};
    if (b.oneOf(longDays, weekday) && b.literal(", ") && b.digits(2, day) && b.literal("-") &&
        b.oneOf(months, month) && b.literal("-") && b.digits(2, year) && b.literal(" ") &&
        b.clock(h, m, s) && b.literal(" GMT") && b.text.empty())
        return moment(year + (year < 70 ? 2000 : 1900), month, day, h, m, s);
    // "Sun Nov  6 08:49:37 1994"
    Reader c{text};
    if (c.oneOf(days, weekday) && c.literal(" ") && c.oneOf(months, month) && c.literal(" ") &&
        c.digits(2, day, true) && c.literal(" ") && c.clock(h, m, s) && c.literal(" ") &&
        c.digits(4, year) && c.text.empty())
        return moment(year, month, day, h, m, s);
    return std::nullopt;
}

bool etagListMatches(std::string_view header, std::string_view etag) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const auto opaque = [](std::string_view tag) {
        if (tag.starts_with("W/")) tag.remove_prefix(2);
        return tag;
    };
    while (!header.empty()) {
        while (!header.empty() && (blank(header.front()) || header.front() == ','))
            header.remove_prefix(1);
        if (header.empty()) break;
        if (header.front() == '*') return true;
        std::size_t end = header.starts_with("W/\"") ? 3 : header.front() == '"' ? 1 : 0;
        if (end == 0) return false; // not a list of tags: no match
        end = header.find('"', end);
        if (end == std::string_view::npos) return false;
        if (opaque(header.substr(0, end + 1)) == opaque(etag)) return true;
        header.remove_prefix(end + 1);
    }
    return false;
}

bool notModified(const Request& r, std::string_view etag, int64_t lastModified) {
    if (r.method != "GET" && r.method != "HEAD") return false;
    if (r.ifNoneMatch) return etagListMatches(*r.ifNoneMatch, etag);
    if (!r.ifModifiedSince) return false;
    const std::optional<int64_t> since = parseHttpDate(*r.ifModifiedSince);
    return since && *since <= r.unixSeconds && lastModified <= *since;
}

} // namespace liga
