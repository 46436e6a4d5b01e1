// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "local_time.h"

#include <ctime>

namespace liga {

std::string localTimeText(int64_t secondsSince1970, const char* format) {
    const std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    char text[32] = "";
    if (!localtime_r(&t, &local) || std::strftime(text, sizeof text, format, &local) == 0)
        return "-";
    return text;
}

std::string dateText(int64_t secondsSince1970) {
    return localTimeText(secondsSince1970, "%d.%m.%Y");
}

} // namespace liga
