// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranking.h"

namespace liga {

void numberPlaces(std::vector<BoardRow>& rows) {
    int64_t faster = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].tenths != rows[i - 1].tenths) faster = static_cast<int64_t>(i);
        rows[i].place = placeBehind(faster);
    }
}

} // namespace liga
