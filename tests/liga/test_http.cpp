// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP layer: framing, the rate limit and listen addresses.
#include "handler.h"
#include "http_server.h"
#include "league_samples.h"
#include "listen_address.h"
#include "loopback.h"
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

TEST(RateLimit, CountsPerAddressRefillsAndStaysBounded) {
    RateLimiter limiter(2, 2, 16);
    EXPECT_TRUE(limiter.allow("a", 0));
    EXPECT_TRUE(limiter.allow("a", 0));
    EXPECT_FALSE(limiter.allow("a", 1000));
    EXPECT_TRUE(limiter.allow("b", 1000));
    EXPECT_TRUE(limiter.allow("a", 31000)); // one more every 30 seconds
    EXPECT_FALSE(limiter.allow("a", 31000));
    for (int i = 0; i < 10000; ++i) limiter.allow("k" + std::to_string(i), 40000 + i);
    EXPECT_LE(limiter.size(), 16u);

    // Many addresses free no used-up bucket; what does not fit shares one, until buckets
    // have filled up again.
    RateLimiter full(1, 3, 4);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(full.allow("kunde", 0));
    int passed = 0;
    for (int i = 0; i < 1000; ++i) passed += full.allow("a" + std::to_string(i), 10 + i);
    EXPECT_EQ(passed, 3 + 3); // three own buckets fill the table, then the shared one's three
    EXPECT_FALSE(full.allow("kunde", 2000));
    EXPECT_TRUE(full.allow("neu", 200000)); // the others have filled up again and left
    EXPECT_EQ(full.size(), 1u);
    RateLimiter without(0);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(without.allow("a", 0));

    // IPv6 clients count by their /64; mapped IPv4 clients as IPv4.
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    inet_pton(AF_INET6, "2001:db8:1:2:aaaa::1", &a.sin6_addr);
    EXPECT_EQ(clientKey(reinterpret_cast<sockaddr*>(&a)), "2001:db8:1:2::/64");
    inet_pton(AF_INET6, "::ffff:192.0.2.7", &a.sin6_addr);
    EXPECT_EQ(clientKey(reinterpret_cast<sockaddr*>(&a)), "192.0.2.7");
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
