// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The game's icon, 32 x 32 pixels, as a PNG built into the server.
#pragma once
#include <string_view>

namespace liga {

std::string_view faviconPng();

} // namespace liga
