// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpheader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> texte(const THeaderPart& teil) {
    std::vector<std::string> t;
    for (const TBufferLine& z : teil.lines) t.emplace_back(z.text);
    return t;
}

TEST(SplitHeader, LinesUpToTheEmptyLineAcrossCalls) {
    THeaderCount zaehler;
    // A CR belongs to the line end only right before the LF; a zero byte hides what follows.
    const std::string erster = "HTTP/1.1 200 OK\r\nA: 1\nB:\r2\r\nC: 3";
    THeaderPart teil = splitHeader(erster, zaehler);
    EXPECT_EQ(teil.state, THeaderState::incomplete);
    EXPECT_EQ(texte(teil), (std::vector<std::string>{"HTTP/1.1 200 OK", "A: 1", "B:\r2"}));
    EXPECT_EQ(teil.consumed, erster.size() - 4);
    EXPECT_EQ(teil.lines.back().end, teil.consumed);

    teil = splitHeader("C: 3\r\n\r\nrumpf\n", zaehler);
    EXPECT_EQ(teil.state, THeaderState::complete);
    EXPECT_EQ(texte(teil), std::vector<std::string>{"C: 3"});
    EXPECT_EQ(teil.consumed, 8u);
    EXPECT_EQ(zaehler.lines, 4);
    EXPECT_EQ(zaehler.bytes, erster.size() + 4);

    THeaderCount z2;
    teil = splitHeader(std::string("X: a\0b\nY\n", 9), z2);
    EXPECT_EQ(teil.state, THeaderState::incomplete);
    EXPECT_TRUE(teil.lines.empty());

    // "<html>" in any case, first or later, starts the body at that line.
    teil = splitHeader("HTTP/1.0 200 OK\n<HtMl><p>\nx\n\n", z2);
    EXPECT_EQ(teil.state, THeaderState::noHeader);
    EXPECT_EQ(texte(teil), std::vector<std::string>{"HTTP/1.0 200 OK"});
    EXPECT_EQ(teil.consumed, 16u);
}

TEST(SplitHeader, BoundsOnLinesAndBytes) {
    std::string hundert;
    for (int i = 0; i < headerMaxLines; ++i) hundert += "X: " + std::to_string(i) + "\r\n";
    THeaderCount zaehler;
    THeaderPart teil = splitHeader(hundert + "\r\n", zaehler);
    EXPECT_EQ(teil.state, THeaderState::complete);
    EXPECT_EQ(teil.lines.size(), 100u);

    zaehler = {};
    teil = splitHeader(hundert + "Y: 1\r\n\r\n", zaehler);
    EXPECT_EQ(teil.state, THeaderState::tooManyLines);
    EXPECT_EQ(teil.lines.size(), 100u);
    EXPECT_EQ(teil.consumed, hundert.size());

    // Counted across calls: the line that crosses 64 KiB is refused, even without its end.
    zaehler = {};
    const std::string lang = "X: " + std::string(30000, 'x') + "\r\n";
    EXPECT_EQ(splitHeader(lang + lang, zaehler).state, THeaderState::incomplete);
    teil = splitHeader(lang, zaehler);
    EXPECT_EQ(teil.state, THeaderState::tooManyBytes);
    EXPECT_TRUE(teil.lines.empty());
    zaehler = {};
    EXPECT_EQ(splitHeader(std::string(headerMaxBytes, 'a'), zaehler).state,
              THeaderState::incomplete);
    EXPECT_EQ(splitHeader(std::string(headerMaxBytes + 1, 'a'), zaehler).state,
              THeaderState::tooManyBytes);
}

TEST(ParseHeaderLine, StatusFieldsAndOthers) {
    THeaderLine f = parseHeaderLine("HTTP/1.0 404 Not Found");
    EXPECT_EQ(f.kind, THeaderLine::status);
    EXPECT_EQ(f.code, "404");
    EXPECT_EQ(f.reason, "Not Found");
    EXPECT_EQ(parseHeaderLine("HTTP/1.1 2").code, "2");
    EXPECT_EQ(parseHeaderLine("HTTP/2.0 200 OK").kind, THeaderLine::other);
    f = parseHeaderLine("Content-TYPE:   Text/Plain");
    EXPECT_EQ(f.kind, THeaderLine::field);
    EXPECT_EQ(f.name, "content-type");
    EXPECT_EQ(f.value, "Text/Plain");
    EXPECT_EQ(parseHeaderLine("X:   ").value, " "); // the last character is never skipped
    EXPECT_EQ(parseHeaderLine("ohne Doppelpunkt").kind, THeaderLine::other);
}

} // namespace
