// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "address_groups.h"

#include <arpa/inet.h>
#include <cstring>

namespace liga {

namespace {

AddressGroup masked(const in6_addr& address, uint8_t bits) {
    AddressGroup g{address, bits};
    for (unsigned byte = bits / 8u; byte < 16; ++byte) {
        const unsigned keep = byte == bits / 8u ? bits % 8u : 0;
        g.network.s6_addr[byte] &= static_cast<uint8_t>(0xFF00u >> keep);
    }
    return g;
}

} // namespace

bool AddressGroup::operator==(const AddressGroup& other) const {
    return bits == other.bits && std::memcmp(&network, &other.network, sizeof network) == 0;
}

std::size_t AddressGroupHash::operator()(const AddressGroup& g) const {
    uint64_t high = 0, low = 0;
    std::memcpy(&high, g.network.s6_addr, 8);
    std::memcpy(&low, g.network.s6_addr + 8, 8);
    uint64_t h = high * 0x9E3779B97F4A7C15ull ^ (low + g.bits) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

AddressGroups groupsOf(const in6_addr& address) {
    AddressGroups a;
    if (IN6_IS_ADDR_V4MAPPED(&address)) {
        a.groups[0] = {masked(address, 128), 1};
        a.count = 1;
        return a;
    }
    a.groups = {CountedGroup{masked(address, 64), 1}, CountedGroup{masked(address, 56), 4},
                CountedGroup{masked(address, 48), 16}};
    a.count = 3;
    return a;
}

std::string groupText(const AddressGroup& group) {
    char text[INET6_ADDRSTRLEN] = {};
    if (IN6_IS_ADDR_V4MAPPED(&group.network)) {
        in_addr v4;
        std::memcpy(&v4, group.network.s6_addr + 12, sizeof v4);
        return inet_ntop(AF_INET, &v4, text, sizeof text) ? text : "";
    }
    if (!inet_ntop(AF_INET6, &group.network, text, sizeof text)) return {};
    return std::string(text) + "/" + std::to_string(group.bits);
}

} // namespace liga
