// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpanfrage.h"
#include "httpurl.h"
#include "strom.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string teile(std::string_view url) {
    THttpUrlTeile t = ParseURL(url);
    return t.proto + "|" + t.user + "|" + t.pass + "|" + t.host + "|" + t.port + "|" + t.path;
}

TEST(ParseURL, SchemesAndAuthorities) {
    EXPECT_EQ(teile(""), "|||||");
    EXPECT_EQ(teile("http://liga.example/rekord.php?code=AB"),
              "http|||liga.example||/rekord.php?code=AB");
    EXPECT_EQ(teile("http://host:8080/pfad"), "http|||host|8080|/pfad");
    EXPECT_EQ(teile("http://host"), "http|||host||");
    EXPECT_EQ(teile("https://u:pw@host:81/x"), "https|u|pw|host|81|/x");
    EXPECT_EQ(teile("ftp://u@host/x"), "ftp|u||host||/x");
    // A colon before the last "@" belongs to the credentials.
    EXPECT_EQ(teile("a:b@c/x"), "|a|b|c||/x");
    EXPECT_EQ(teile("host:99"), "|||host|99|");
    EXPECT_EQ(teile("mailto:wer@wo"), "mailto|wer||wo||");
    EXPECT_EQ(teile("MAILTO:wer@wo"), "mailto|wer||wo||");
}

TEST(ParseURL, PathsWithoutHost) {
    EXPECT_EQ(teile("/pfad?q=1"), "http|||||/pfad?q=1");
    EXPECT_EQ(teile("//pfad"), "http|||||/pfad");
    EXPECT_EQ(teile("http:/x"), "http|||||/x");
    EXPECT_EQ(teile("HTTP:abc"), "http|||||abc");
    EXPECT_EQ(teile("http:a"), "http|||||");
    // Nothing is escaped or decoded.
    EXPECT_EQ(teile("http://h/a%20b c"), "http|||h||/a%20b c");
}

TEST(HttpAnfrage, Base64AndDate) {
    EXPECT_EQ(base64Kodieren(""), "");
    EXPECT_EQ(base64Kodieren("a"), "YQ==");
    EXPECT_EQ(base64Kodieren("ab"), "YWI=");
    EXPECT_EQ(base64Kodieren("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(base64Kodieren(std::string("\xff\xfe\x00", 3)), "//4A");
    // 2000-01-01 was a Saturday; 36526 days after 1899-12-30.
    EXPECT_EQ(httpDatum(36526.5), "Sat, 01 Jan 2000 12:00:00");
    EXPECT_EQ(httpDatum(0.0), "Sat, 30 Dec 1899 00:00:00");
    EXPECT_EQ(httpDatum(45000.75), "Wed, 15 Mar 2023 18:00:00");
}

TEST(HttpAnfrage, WholeNumbers) {
    EXPECT_EQ(httpZahl("200"), 200);
    EXPECT_EQ(httpZahl("  -12"), -12);
    EXPECT_EQ(httpZahl("$1F"), 31);
    EXPECT_EQ(httpZahl("2147483647"), 2147483647);
    EXPECT_THROW(httpZahl("2147483648"), std::invalid_argument);
    EXPECT_THROW(httpZahl(""), std::invalid_argument);
    EXPECT_THROW(httpZahl("20x"), std::invalid_argument);
    EXPECT_THROW(httpZahl("99999999999999999999999"), std::invalid_argument);
}

TEST(TMemoryStreamTest, KeepsAtMostItsLimit) {
    TMemoryStream s(10);
    EXPECT_EQ(s.Write("abcdef", 6), 6u);
    EXPECT_EQ(s.Write("ghijkl", 6), 4u);
    EXPECT_EQ(s.Daten(), "abcdefghij");
    EXPECT_TRUE(s.Abgeschnitten());
    EXPECT_EQ(s.Write("x", 1), 0u);
    s.SetPosition(2);
    EXPECT_EQ(s.Write("XY", 2), 2u);
    EXPECT_EQ(s.Daten(), "abXYefghij");
    s.Clear();
    EXPECT_EQ(s.Size(), 0u);
    EXPECT_FALSE(s.Abgeschnitten());
    EXPECT_EQ(TMemoryStream().Grenze(), 65536u);
}

} // namespace
