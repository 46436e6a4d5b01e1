// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "moderation_log.h"

#include <ctime>
#include <exception>

namespace liga {

std::string_view moderationName(Moderation what) {
    switch (what) {
    case Moderation::remove:
        return "remove";
    case Moderation::ban:
        return "ban";
    case Moderation::unban:
        return "unban";
    case Moderation::approve:
        return "approve";
    case Moderation::reject:
        return "reject";
    }
    return "change";
}

std::string changeLine(const LoggedChange& c) {
    const std::time_t t = static_cast<std::time_t>(c.at);
    std::tm utc{};
    char when[40] = "?";
    if (gmtime_r(&t, &utc)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return std::string(when) + " " + std::string(moderationName(c.what)) + " " + c.subject;
}

ModerationLog::ModerationLog(Store& store, std::ostream& out, std::chrono::milliseconds every)
    : store_(store), out_(out), every_(every) {
    // What was changed before this server started is no news to it.
    try {
        const std::vector<LoggedChange> before = store_.changesSince(0);
        seen_ = before.empty() ? 0 : before.back().id;
    } catch (const std::exception&) {
        // read again by the thread
    }
    thread_ = std::thread([this] { watch(); });
}

ModerationLog::~ModerationLog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ModerationLog::watch() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, every_, [this] { return stopping_; })) {
        lock.unlock();
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
        lock.lock();
    }
}

} // namespace liga
