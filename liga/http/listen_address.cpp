// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "listen_address.h"
#include "whole_number.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>

namespace liga {

std::optional<ListenAddress> parseListenAddress(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view host = text.substr(0, colon);
    const std::string portText(text.substr(colon + 1));
    const std::optional<unsigned> port = wholeNumber<unsigned>(portText);
    if (!port || *port > 65535) return std::nullopt;

    // An IPv6 address stands in brackets, an IPv4 address without; numeric only, so
    // nothing is looked up.
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    const std::string hostText(bracketed ? host.substr(1, host.size() - 2) : host);
    addrinfo hints{};
    hints.ai_family = bracketed ? AF_INET6 : AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
    addrinfo* found = nullptr;
    if (hostText.empty() || getaddrinfo(hostText.c_str(), portText.c_str(), &hints, &found) != 0)
        return std::nullopt;
    ListenAddress a;
    std::memcpy(&a.address, found->ai_addr, found->ai_addrlen);
    a.length = found->ai_addrlen;
    a.ipv6 = bracketed;
    freeaddrinfo(found);
    return a;
}

unsigned ListenAddress::port() const {
    if (ipv6) return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
}

std::string addressText(const ListenAddress& a) {
    return addressText(a, a.port());
}

std::string addressText(const ListenAddress& a, unsigned port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (a.ipv6) {
        const auto* s = reinterpret_cast<const sockaddr_in6*>(&a.address);
        inet_ntop(AF_INET6, &s->sin6_addr, text, sizeof text);
    } else {
        const auto* s = reinterpret_cast<const sockaddr_in*>(&a.address);
        inet_ntop(AF_INET, &s->sin_addr, text, sizeof text);
    }
    std::string out;
    if (a.ipv6) out += '[';
    out += text;
    if (a.ipv6) out += ']';
    out += ':';
    out += std::to_string(port);
    return out;
}

} // namespace liga
