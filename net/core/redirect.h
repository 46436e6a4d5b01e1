// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

// Where a request goes: the name to look up and its port, the Host line, the
// request-target, and the absolute address it stands for.
struct THttpTarget {
    std::string hostName;
    std::string port;
    std::string targetHost;
    std::string path;
    std::string location;

    bool operator==(const THttpTarget&) const = default;
};

// The target after a Location line with this value, in direct mode. A value starting
// with "/" keeps host and port. Any other value is split as a URL: its path becomes the
// request-target, its host the name to look up, and a port in it replaces the port (there
// is no fall back to 80). A missing scheme counts as "http"; a value without path and
// scheme names a path on the current host.
THttpTarget redirectTarget(const THttpTarget& current, std::string_view value);
