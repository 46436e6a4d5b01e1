// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

// The parts of a URL as the HTTP client splits it. Nothing is rejected; a missing part is
// empty, and the path (query included) is kept unaltered.
struct THttpUrlParts {
    std::string proto;
    std::string user;
    std::string pass;
    std::string host;
    std::string port;
    std::string path;
};

THttpUrlParts ParseURL(std::string_view url);
