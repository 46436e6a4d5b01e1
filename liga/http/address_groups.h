// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Whom the server counts a request as: the networks an address belongs to.
#pragma once
#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace liga {

// An address with the bits past `bits` cleared.
struct AddressGroup {
    in6_addr network{};
    uint8_t bits = 128;

    bool operator==(const AddressGroup& other) const;
};

struct AddressGroupHash {
    std::size_t operator()(const AddressGroup& g) const;
};

// A group and how many clients' worth of every bound per client it may have.
struct CountedGroup {
    AddressGroup group;
    unsigned weight = 1;
};

// The groups an address is counted in, narrowest first. An IPv4 address (mapped into
// IPv6) is one client. An IPv6 client is its /64, since one host commonly holds a whole
// /64; around it, the /56 that a home connection gets counts as 4 clients and the /48 of
// a site or a cloud account as 16, so that the many /64s of one prefix do not multiply
// its share past that.
struct AddressGroups {
    std::array<CountedGroup, 3> groups{};
    std::size_t count = 0;

    const CountedGroup* begin() const { return groups.data(); }
    const CountedGroup* end() const { return groups.data() + count; }
    // The client itself: the address, or its /64.
    const AddressGroup& client() const { return groups[0].group; }
};
AddressGroups groupsOf(const in6_addr& address);

// "192.0.2.7" or "2001:db8:1:2::/64".
std::string groupText(const AddressGroup& group);

} // namespace liga
