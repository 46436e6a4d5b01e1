// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "forwarded_for.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <string>
#include <sys/socket.h>

namespace liga {

namespace {

bool same(const in6_addr& a, const in6_addr& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

in6_addr mapped(const in_addr& v4) {
    in6_addr a{};
    a.s6_addr[10] = 0xff;
    a.s6_addr[11] = 0xff;
    std::memcpy(&a.s6_addr[12], &v4, 4);
    return a;
}

std::string_view trimmed(std::string_view t) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!t.empty() && blank(t.front())) t.remove_prefix(1);
    while (!t.empty() && blank(t.back())) t.remove_suffix(1);
    return t;
}

// One entry of the list, with or without a port.
std::optional<in6_addr> entryAddress(std::string_view t) {
    if (!t.empty() && t.front() == '[') {
        const std::size_t close = t.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view rest = t.substr(close + 1);
        if (!rest.empty() && (rest.front() != ':' || rest.size() == 1 ||
                              rest.find_first_not_of("0123456789", 1) != std::string_view::npos))
            return std::nullopt;
        return parseAddress(t.substr(0, close + 1));
    }
    // One colon: IPv4 with a port; more: IPv6 without one.
    if (const std::size_t colon = t.find(':');
        colon != std::string_view::npos && t.find(':', colon + 1) == std::string_view::npos) {
        const std::string_view port = t.substr(colon + 1);
        if (port.empty() || port.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        t = t.substr(0, colon);
        if (t.find(':') != std::string_view::npos) return std::nullopt;
        in_addr v4{};
        if (inet_pton(AF_INET, std::string(t).c_str(), &v4) != 1) return std::nullopt;
        return mapped(v4);
    }
    return parseAddress(t);
}

} // namespace

std::optional<in6_addr> parseAddress(std::string_view text) {
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        text = text.substr(1, text.size() - 2);
        if (text.find(':') == std::string_view::npos) return std::nullopt; // "[192.0.2.7]"
    }
    // inet_pton needs a terminated string; no address is longer than this.
    if (text.empty() || text.size() > INET6_ADDRSTRLEN) return std::nullopt;
    const std::string t(text);
    in_addr v4{};
    if (inet_pton(AF_INET, t.c_str(), &v4) == 1) return mapped(v4);
    in6_addr v6{};
    if (inet_pton(AF_INET6, t.c_str(), &v6) == 1) return v6;
    return std::nullopt;
}

std::optional<in6_addr> addressOf(const sockaddr* address) {
    if (!address) return std::nullopt;
    if (address->sa_family == AF_INET) {
        sockaddr_in v4{};
        std::memcpy(&v4, address, sizeof v4);
        return mapped(v4.sin_addr);
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 v6{};
        std::memcpy(&v6, address, sizeof v6);
        return v6.sin6_addr;
    }
    return std::nullopt;
}

bool namedIn(const in6_addr& address, const std::vector<in6_addr>& list) {
    return std::any_of(list.begin(), list.end(),
                       [&](const in6_addr& p) { return same(address, p); });
}

in6_addr clientBehindProxies(const in6_addr& peer, std::string_view forwardedFor,
                             const std::vector<in6_addr>& proxies) {
    const auto isProxy = [&](const in6_addr& a) { return namedIn(a, proxies); };
    in6_addr last = peer;
    if (!isProxy(last)) return last;
    std::string_view rest = forwardedFor;
    while (!rest.empty()) {
        const std::size_t comma = rest.rfind(',');
        const std::string_view entry =
            trimmed(comma == std::string_view::npos ? rest : rest.substr(comma + 1));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(0, comma);
        if (entry.empty()) continue; // "a, , b" and a trailing comma say nothing
        const std::optional<in6_addr> a = entryAddress(entry);
        if (!a) break;
        last = *a;
        if (!isProxy(last)) break;
    }
    return last;
}

} // namespace liga
