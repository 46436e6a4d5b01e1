// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>

namespace liga {

// A numeric address and port to listen on.
struct ListenAddress {
    sockaddr_storage address{};
    socklen_t length = 0;
    bool ipv6 = false;

    unsigned port() const;
};

// "127.0.0.1:8080", "0.0.0.0:80", "[::1]:8080" or "[::]:8080"; port 0 lets the system
// choose. Host names are not looked up. Nothing when the text is none of these.
std::optional<ListenAddress> parseListenAddress(std::string_view text);

// "127.0.0.1:8080" or "[::1]:8080" for an address and a port (by default its own).
std::string addressText(const ListenAddress& address, unsigned port);
std::string addressText(const ListenAddress& address);

} // namespace liga
