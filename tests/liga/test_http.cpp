// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP layer: framing, what a handler is handed and hands back, conditional requests,
// the rate limit and listen addresses.
#include "address_groups.h"
#include "conditional.h"
#include "forwarded_for.h"
#include "handler.h"
#include "http_server.h"
#include "league_samples.h"
#include "listen_address.h"
#include "loopback.h"
#include "percent_coding.h"
#include "rate_limit.h"
#include "sqlite_store.h"
#include <arpa/inet.h>

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace liga;
using namespace liga::samples;

TEST(Framing, AnUnclearLengthIsRefusedAndWhatFollowsItNeverReadAsARequest) {
    SqliteStore store(":memory:");
    RateLimiter limiter(0);
    League league(store, limiter);
    HttpServer server(league, *parseListenAddress("127.0.0.1:0"));
    const std::string after = "GET /nirgends HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    const std::string length = "Content-Length: " + std::to_string(after.size()) + "\r\n";
    for (const std::string& header :
         {"Content-Length: 0\r\n" + length, length + "Transfer-Encoding: chunked\r\n"}) {
        const std::string answer =
            loopbackSenden(static_cast<int>(server.port()),
                           "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n" + header + "\r\n" + after, 5);
        EXPECT_EQ(answer.rfind("HTTP/1.1 400 ", 0), 0u) << answer;
        EXPECT_EQ(answer.find("HTTP/1.1", 1), std::string::npos) << answer;
    }
}

// Answers with what it was handed, and header lines of its own.
struct EchoHandler final : RequestHandler {
    Plan plan(const Request& r) override {
        std::string text = r.path + "\n";
        for (const auto& [key, value] : r.arguments) text += "[" + key + "=" + value + "]";
        text += "\n" + r.code.value_or("-") + "\n" + r.ifNoneMatch.value_or("-") + "\n" +
                r.ifModifiedSince.value_or("-") + "\n";
        Response answer(200, "text/plain", text);
        answer.headers = {{"ETag", "\"7\""}, {"Cache-Control", "no-cache"}};
        return {answer, false};
    }
    Response answerLater(const Request&, Deadline) override { return {}; }
    Response unavailable(const Request&) override { return {}; }
};

TEST(Exchange, TheHandlerReadsTheRawPathDecodedArgumentsAndConditionsAndAddsHeaders) {
    EchoHandler echo;
    HttpServer server(echo, *parseListenAddress("127.0.0.1:0"));
    const std::string answer = loopbackSenden(
        static_cast<int>(server.port()),
        "GET /spieler/a%2Fb%3F%28x%29?name=a%2Fb+c%zz&code=AB%43&leer HTTP/1.1\r\nHost: h\r\n"
        "If-None-Match: \"1\"\r\nIf-None-Match: W/\"2\"\r\n"
        "If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\nConnection: close\r\n\r\n");
    EXPECT_NE(answer.find("\r\n\r\n/spieler/a%2Fb%3F%28x%29\n[name=a%2Fb c%zz][code=ABC][leer=]\n"
                          "ABC\n\"1\",W/\"2\"\nSun, 06 Nov 1994 08:49:37 GMT\n"),
              std::string::npos)
        << answer;
    EXPECT_NE(answer.find("\r\nETag: \"7\"\r\n"), std::string::npos) << answer;
    EXPECT_NE(answer.find("\r\nCache-Control: no-cache\r\n"), std::string::npos) << answer;
    EXPECT_EQ(answer.find("no-store"), std::string::npos) << answer;

    EXPECT_EQ(percentDecode("%41%2f%2F+"), "A//+");
    EXPECT_EQ(percentDecode("a+b", true), "a b");
    for (const char* broken : {"%", "%4", "%4g", "a%"}) EXPECT_FALSE(percentDecode(broken));
    EXPECT_EQ(percentEncode("Ab9-._~/?#()[],=! \xC3\xA4"),
              "Ab9-._~%2F%3F%23%28%29%5B%5D%2C%3D%21%20%C3%A4");
}

TEST(Conditional, DatesInAllThreeFormsAndTagListsDecideA304) {
    const int64_t t = 784111777; // Sun, 06 Nov 1994 08:49:37 GMT
    EXPECT_EQ(httpDate(t), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(httpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(httpDate(1709164800), "Thu, 29 Feb 2024 00:00:00 GMT");
    for (const char* same : {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                             "Sun Nov  6 08:49:37 1994"})
        EXPECT_EQ(parseHttpDate(same), t) << same;
    EXPECT_EQ(parseHttpDate(httpDate(1709164800)), 1709164800);
    for (const char* wrong : {"", "Sun, 31 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 24:00:00 GMT",
                              "Sun, 06 Nov 1994 08:49:37 UTC", "Sun, 6 Nov 1994 08:49:37 GMT",
                              "Sun, 06 Nov 1994 08:49:37 GMT ", "Sun, 06 Nov 19x4 08:49:37 GMT"})
        EXPECT_FALSE(parseHttpDate(wrong)) << wrong;

    EXPECT_TRUE(etagListMatches("\"a\", W/\"7\"", "\"7\""));
    EXPECT_TRUE(etagListMatches("W/\"7\"", "W/\"7\""));
    EXPECT_TRUE(etagListMatches("*", "\"7\""));
    for (const char* other : {"", "\"77\"", "7", "\"7", "W/\"8\", \"9\""})
        EXPECT_FALSE(etagListMatches(other, "\"7\"")) << other;

    Request r;
    r.method = "GET";
    r.unixSeconds = t + 100;
    EXPECT_FALSE(notModified(r, "\"7\"", t));
    r.ifModifiedSince = httpDate(t);
    EXPECT_TRUE(notModified(r, "\"7\"", t));
    EXPECT_FALSE(notModified(r, "\"7\"", t + 1));
    r.ifModifiedSince = httpDate(t + 200); // later than the request: no date to trust
    EXPECT_FALSE(notModified(r, "\"7\"", t));
    r.ifModifiedSince = httpDate(t);
    r.ifNoneMatch = "\"6\""; // the tag decides over the date
    EXPECT_FALSE(notModified(r, "\"7\"", t));
    r.ifNoneMatch = "\"7\"";
    EXPECT_TRUE(notModified(r, "\"7\"", t + 1));
    r.method = "POST";
    EXPECT_FALSE(notModified(r, "\"7\"", t));
}

TEST(RateLimit, CountsEachClientAndItsPrefixesAndGivesAFreshClientABucket) {
    const auto at = [](const std::string& text) { return *parseAddress(text); };
    RateLimiter limiter(2, 2, 16);
    EXPECT_TRUE(limiter.allow(at("192.0.2.1"), 0));
    EXPECT_TRUE(limiter.allow(at("192.0.2.1"), 0));
    EXPECT_FALSE(limiter.allow(at("192.0.2.1"), 1000));
    EXPECT_TRUE(limiter.allow(at("192.0.2.2"), 1000));
    EXPECT_TRUE(limiter.allow(at("192.0.2.1"), 31000)); // one more every 30 seconds
    EXPECT_FALSE(limiter.allow(at("192.0.2.1"), 31000));
    RateLimiter without(0);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(without.allow(at("192.0.2.1"), 0));

    // However many addresses come, each new one gets a bucket of its own, the table stays
    // bounded, and a used-up client stays used up: those nearest to full leave first.
    RateLimiter full(1, 3, 64);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(full.allow(at("192.0.2.1"), 0));
    int passed = 0;
    for (int i = 0; i < 1000; ++i)
        passed += full.allow(
            at("198.18." + std::to_string(i / 250) + "." + std::to_string(i % 250)), 10 + i);
    EXPECT_EQ(passed, 1000);
    EXPECT_LE(full.size(), 64u);
    EXPECT_FALSE(full.allow(at("192.0.2.1"), 2000));
    EXPECT_TRUE(full.allow(at("192.0.2.200"), 2000));

    // An IPv6 client is its /64; the /64s of one /56 share four clients' worth, those of
    // one /48 sixteen.
    RateLimiter six(1, 1);
    EXPECT_TRUE(six.allow(at("2001:db8:0:1::1"), 0));
    EXPECT_FALSE(six.allow(at("2001:db8:0:1:ffff::2"), 0));
    int inOne56 = 0, inOne48 = 0;
    for (int i = 2; i < 40; ++i)
        inOne56 += six.allow(at("2001:db8:0:" + std::to_string(i) + "::1"), 0);
    EXPECT_EQ(inOne56, 3);
    for (int i = 1; i < 40; ++i)
        inOne48 += six.allow(at("2001:db8:0:" + std::to_string(i) + "00::1"), 0);
    EXPECT_EQ(inOne48, 12);
    EXPECT_TRUE(six.allow(at("2001:db8:1::1"), 0));
    EXPECT_EQ(groupText(groupsOf(at("2001:db8:1:2:aaaa::1")).client()), "2001:db8:1:2::/64");
    EXPECT_EQ(groupText(groupsOf(at("::ffff:192.0.2.7")).client()), "192.0.2.7");
}

TEST(ListenAddress, TakesNumericAddressesWithAPortOnly) {
    const auto v4 = parseListenAddress("127.0.0.1:8080");
    ASSERT_TRUE(v4);
    EXPECT_FALSE(v4->ipv6);
    EXPECT_EQ(addressText(*v4, 8080), "127.0.0.1:8080");
    const auto v6 = parseListenAddress("[::1]:0");
    ASSERT_TRUE(v6);
    EXPECT_TRUE(v6->ipv6);
    EXPECT_EQ(addressText(*v6, 41000), "[::1]:41000");
    for (const char* wrong : {"localhost:8080", "127.0.0.1", "127.0.0.1:", "127.0.0.1:65536",
                              "127.0.0.1:80x", "[::1]", "::1:80", "[127.0.0.1]:80", ""})
        EXPECT_FALSE(parseListenAddress(wrong)) << wrong;
}

} // namespace
