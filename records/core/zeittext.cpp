// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "zeittext.h"

std::string zeitText(int32_t zehntel) {
    return std::to_string(zehntel / 10) + ',' + std::to_string(zehntel % 10) + " Sekunden";
}
