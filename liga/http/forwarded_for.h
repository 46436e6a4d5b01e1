// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Whom a request behind a reverse proxy comes from.
#pragma once
#include <netinet/in.h>
#include <optional>
#include <string_view>
#include <vector>

struct sockaddr;

namespace liga {

// A numeric IPv4 or IPv6 address ("192.0.2.7", "2001:db8::1", also "[2001:db8::1]"), an
// IPv4 one as mapped into IPv6; nothing for anything else, host names included.
std::optional<in6_addr> parseAddress(std::string_view text);
// The address of an IPv4 or IPv6 socket address, likewise.
std::optional<in6_addr> addressOf(const sockaddr* address);

// Whether `address` is one of `list`.
bool namedIn(const in6_addr& address, const std::vector<in6_addr>& list);

// The client of a request that `peer` handed over with these X-Forwarded-For values (the
// header's lines joined by commas): from a peer that is not one of `proxies`, the peer
// itself, whatever the header says. From a proxy, the list is read from its end, where
// each proxy puts whom it got the request from: the first address there that is not a
// proxy is the client. A malformed entry before that, or the start of the list, leaves
// the request with the last proxy read, never with anything a client could have written.
// Entries may carry a port ("192.0.2.7:4711", "[2001:db8::1]:4711").
in6_addr clientBehindProxies(const in6_addr& peer, std::string_view forwardedFor,
                             const std::vector<in6_addr>& proxies);

} // namespace liga
