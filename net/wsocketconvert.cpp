// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsocketconvert.h"

#include "wsocketerror.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string format(const char* pattern, const std::string& text, int number) {
    std::string s = pattern;
    s.replace(s.find("%s"), 2, text);
    s.replace(s.find("%d"), 2, std::to_string(number));
    return s;
}

} // namespace

std::string wsocketTrim(std::string_view text) {
    std::size_t a = 0, e = text.size();
    while (a < e && static_cast<unsigned char>(text[a]) <= ' ') ++a;
    while (e > a && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return std::string(text.substr(a, e - a));
}

bool WSocketIsDottedIP(std::string_view s) {
    std::size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    if (i < n && s[i] == '.') return false;
    int dots = 0;
    uint32_t number = 0;
    while (i < n) {
        char c = s[i];
        if (isDigit(c)) {
            if (number <= 255) number = number * 10 + static_cast<uint32_t>(c - '0');
        } else if (c == '.') {
            if (++dots > 3 || number > 255) return false;
            ++i;
            if (i >= n || !isDigit(s[i])) return false;
            number = 0;
            continue;
        } else {
            break;
        }
        ++i;
    }
    for (; i < n; ++i)
        if (s[i] != ' ') return false;
    return dots == 3 && number <= 255;
}

uint32_t wsocketNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    uint32_t value = 0;
    for (; i < s.size() && isDigit(s[i]); ++i)
        value = value * 10u + static_cast<uint32_t>(s[i] - '0');
    return value;
}

bool reservedName(std::string_view name) {
    while (!name.empty() && name.back() == '.') name.remove_suffix(1);
    constexpr std::string_view tld = "invalid";
    if (name.size() < tld.size()) return false;
    std::string_view end = name.substr(name.size() - tld.size());
    if (strncasecmp(end.data(), tld.data(), tld.size()) != 0) return false;
    return name.size() == tld.size() || name[name.size() - tld.size() - 1] == '.';
}

uint32_t WSocketResolveHost(const std::string& host) {
    if (host.empty() || host.size() > 256)
        throw ESocketException("WSocketResolveHost: '" + host + "' Invalid Hostname.");
    std::string name = wsocketTrim(host);
    if (WSocketIsDottedIP(name)) {
        in_addr_t a = inet_addr(name.c_str());
        if (a == INADDR_NONE && name != "255.255.255.255")
            throw ESocketException("WSocketResolveHost: '" + host + "' Invalid IP address.");
        return a;
    }
    int error = wsaHOST_NOT_FOUND;
    if (!reservedName(name)) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        int g = getaddrinfo(name.c_str(), nullptr, &hints, &list);
        if (g == 0 && list) {
            uint32_t a = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
            freeaddrinfo(list);
            return a;
        }
        if (list) freeaddrinfo(list);
        error = winsockLookupError(g);
    }
    throw ESocketException(
        format("WSocketResolveHost: Cannot convert host address '%s', Error #%d", host, error));
}

uint16_t WSocketResolvePort(const std::string& port, const std::string& proto) {
    if (port.empty() || port.size() >= 32)
        throw ESocketException("WSocketResolvePort: Invalid Port.");
    if (isDigit(port[0])) return htons(static_cast<uint16_t>(wsocketNumber(port)));
    std::string name = wsocketTrim(port);
    std::string protoName = wsocketTrim(proto);
    servent* entry = getservbyname(name.c_str(), protoName.empty() ? nullptr : protoName.c_str());
    if (entry) return static_cast<uint16_t>(entry->s_port);
    // A machine without a services file still knows the web's port.
    if (strcasecmp(name.c_str(), "http") == 0) return htons(80);
    throw ESocketException(
        format("WSocketResolvePort: Cannot convert port '%s', Error #%d", port, wsaNO_DATA));
}

int WSocketResolveProto(const std::string& proto) {
    if (proto.empty() || proto.size() >= 32)
        throw ESocketException("WSocketResolveProto: Invalid Protocol.");
    std::string name = wsocketTrim(proto);
    if (!name.empty() && isDigit(name[0])) return static_cast<int>(wsocketNumber(name));
    if (protoent* entry = getprotobyname(name.c_str())) return entry->p_proto;
    // A machine without a protocols file still knows these two.
    if (strcasecmp(name.c_str(), "tcp") == 0) return IPPROTO_TCP;
    if (strcasecmp(name.c_str(), "udp") == 0) return IPPROTO_UDP;
    throw ESocketException(
        format("WSocketResolveProto: Cannot convert protocol '%s', Error #%d", proto, wsaNO_DATA));
}
