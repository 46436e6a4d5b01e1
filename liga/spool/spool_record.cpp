// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spool_record.h"
#include "whole_number.h"

#include <cstdio>

namespace liga {

namespace {

constexpr std::size_t codeLength = 64;
constexpr std::size_t clientLength = 64;

// FNV-1a: enough to tell a torn or garbled line, which is all it is for.
uint64_t checksum(std::string_view text) {
    uint64_t h = 0xcbf29ce484222325u;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3u;
    }
    return h;
}

std::string hex(uint64_t n) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(n));
    return text;
}

bool isCode(std::string_view code) {
    if (code.size() != codeLength) return false;
    for (const char c : code)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

// The fields of "<arrivedAt> <code> <client>" after the mark and its blank.
bool readFields(std::string_view body, SpoolRecord& r) {
    const std::size_t first = body.find(' ');
    const std::size_t second = body.find(' ', first == std::string_view::npos ? first : first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) return false;
    const std::optional<int64_t> at = wholeNumber<int64_t>(body.substr(0, first));
    const std::string_view code = body.substr(first + 1, second - first - 1);
    const std::string_view client = body.substr(second + 1);
    if (!at || !isCode(code) || client.empty() || spoolClient(client) != client) return false;
    r.arrivedAt = *at;
    r.code = code;
    r.client = client;
    return true;
}

} // namespace

std::string spoolClient(std::string_view client) {
    if (client.empty()) return "-";
    std::string out(client.substr(0, clientLength));
    for (char& c : out)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              c == '.' || c == ':' || c == '/' || c == '-' || c == '[' || c == ']'))
            c = '_';
    return out;
}

std::string spoolLine(const SpoolRecord& r) {
    const std::string body =
        std::to_string(r.arrivedAt) + " " + r.code + " " + spoolClient(r.client);
    return std::string(1, waitingMark) + " " + body + " " + hex(checksum(body)) + "\n";
}

SpoolContents parseSpool(std::string_view bytes) {
    SpoolContents contents;
    std::size_t at = 0;
    for (std::size_t end; (end = bytes.find('\n', at)) != std::string_view::npos; at = end + 1) {
        contents.whole = end + 1;
        const std::string_view line = bytes.substr(at, end - at);
        // Mark, blank, body, blank, 16 digits of checksum.
        if (line.size() < 2 + 1 + 17 || line[1] != ' ' ||
            (line[0] != waitingMark && line[0] != storedMark))
            continue;
        const std::string_view body = line.substr(2, line.size() - 2 - 17);
        if (line[line.size() - 17] != ' ' || line.substr(line.size() - 16) != hex(checksum(body)))
            continue;
        SpoolLine l;
        l.offset = at;
        l.stored = line[0] == storedMark;
        if (readFields(body, l.record)) contents.lines.push_back(std::move(l));
    }
    return contents;
}

} // namespace liga
