// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpheader.h"

#include <cctype>

std::string lowerCase(std::string_view text) {
    std::string k(text);
    for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

std::optional<TBufferLine> findLine(std::string_view buffer) {
    std::size_t i = 0;
    while (i < buffer.size() && buffer[i] != 0 && buffer[i] != '\n') ++i;
    if (i >= buffer.size() || buffer[i] != '\n') return std::nullopt;
    std::size_t length = i > 0 && buffer[i - 1] == '\r' ? i - 1 : i;
    return TBufferLine{buffer.substr(0, length), i + 1};
}

THeaderPart splitHeader(std::string_view buffer, THeaderCount& count) {
    THeaderPart part;
    for (;;) {
        std::string_view rest = buffer.substr(part.consumed);
        std::optional<TBufferLine> line = findLine(rest);
        if (!line) {
            // A line without its end is bounded as well: it holds these bytes already.
            if (count.bytes + rest.size() > headerMaxBytes) part.state = THeaderState::tooManyBytes;
            return part;
        }
        if (lowerCase(line->text.substr(0, 6)) == "<html>") {
            part.state = THeaderState::noHeader;
            return part;
        }
        if (count.bytes + line->end > headerMaxBytes) {
            part.state = THeaderState::tooManyBytes;
            return part;
        }
        if (line->text.empty()) {
            count.bytes += line->end;
            part.consumed += line->end;
            part.state = THeaderState::complete;
            return part;
        }
        if (count.lines >= headerMaxLines) {
            part.state = THeaderState::tooManyLines;
            return part;
        }
        count.bytes += line->end;
        ++count.lines;
        part.consumed += line->end;
        line->end = part.consumed;
        part.lines.push_back(*line);
    }
}

THeaderLine parseHeaderLine(std::string_view line) {
    THeaderLine f;
    std::string_view version = line.substr(0, 8);
    if (version == "HTTP/1.0" || version == "HTTP/1.1") {
        f.kind = THeaderLine::status;
        if (line.size() > 9) f.code = line.substr(9, 3);
        if (line.size() > 13) f.reason = line.substr(13);
        return f;
    }
    std::size_t p = line.find(':');
    if (p == std::string_view::npos) return f;
    f.kind = THeaderLine::field;
    f.name = lowerCase(line.substr(0, p));
    std::size_t a = p + 1;
    while (a + 1 < line.size() && line[a] == ' ') ++a;
    if (a < line.size()) f.value = line.substr(a);
    return f;
}
