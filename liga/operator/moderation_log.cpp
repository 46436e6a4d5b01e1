// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "moderation_log.h"
#include "moderation_verbs.h"

#include <ctime>
#include <exception>

namespace liga {

namespace {

// What was changed before this server started is no news to it; -1 when the store cannot
// tell yet, and the first look reads it.
int64_t lastChange(Store& store) {
    try {
        const std::vector<LoggedChange> before = store.changesSince(0);
        return before.empty() ? 0 : before.back().id;
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace

std::string changeLine(const LoggedChange& c) {
    const std::time_t t = static_cast<std::time_t>(c.at);
    std::tm utc{};
    char when[40] = "?";
    if (gmtime_r(&t, &utc)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return std::string(when) + " " + std::string(moderationName(c.what)) + " " + c.subject;
}

ModerationLog::ModerationLog(Store& store, std::ostream& out, std::chrono::milliseconds every)
    : store_(store), out_(out), seen_(lastChange(store)), worker_(every, [this] { look(); }) {}

void ModerationLog::look() {
    try {
        const std::vector<LoggedChange> changes = store_.changesSince(seen_ < 0 ? 0 : seen_);
        if (seen_ >= 0)
            for (const LoggedChange& c : changes)
                out_ << "zundel-liga: " << changeLine(c) << std::endl;
        if (!changes.empty())
            seen_ = changes.back().id;
        else if (seen_ < 0)
            seen_ = 0;
    } catch (const std::exception&) {
        // the store is away; the changes wait in the log
    }
}

} // namespace liga
