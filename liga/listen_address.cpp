#include "listen_address.h"

#include <arpa/inet.h>
#include <charconv>
#include <cstring>
#include <netinet/in.h>

namespace liga {

std::optional<ListenAddress> parseListenAddress(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    std::string_view host = text.substr(0, colon);
    const std::string_view portText = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, ec] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || ec != std::errc() || end != portText.data() + portText.size() ||
        port > 65535)
        return std::nullopt;

    ListenAddress a;
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    const std::string hostText(bracketed ? host.substr(1, host.size() - 2) : host);
    if (bracketed) {
        sockaddr_in6 s{};
        s.sin6_family = AF_INET6;
        s.sin6_port = htons(static_cast<uint16_t>(port));
        if (inet_pton(AF_INET6, hostText.c_str(), &s.sin6_addr) != 1) return std::nullopt;
        std::memcpy(&a.address, &s, sizeof s);
        a.length = sizeof s;
        a.ipv6 = true;
        return a;
    }
    sockaddr_in s{};
    s.sin_family = AF_INET;
    s.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, hostText.c_str(), &s.sin_addr) != 1) return std::nullopt;
    std::memcpy(&a.address, &s, sizeof s);
    a.length = sizeof s;
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
