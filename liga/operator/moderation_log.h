// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What operators change, told by every server that runs on the league.
#pragma once
#include "store.h"

#include "periodic_worker.h"

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace liga {

// "2026-12-09 10:41:07 UTC ban Rude_Name": one logged change on one line.
std::string changeLine(const LoggedChange& change);

// Writes each change that an operator makes from now on to `out`, one line each, within
// about `every` of it, from a thread of its own. A store that cannot be read is asked
// again the next time; nothing is lost meanwhile.
class ModerationLog final {
public:
    ModerationLog(Store& store, std::ostream& out,
                  std::chrono::milliseconds every = std::chrono::milliseconds(1000));
    ModerationLog(const ModerationLog&) = delete;
    ModerationLog& operator=(const ModerationLog&) = delete;

private:
    // Writes what changed since the last look.
    void look();

    Store& store_;
    std::ostream& out_;
    int64_t seen_ = -1; // the last change written; -1 until the log has been read once
    PeriodicWorker worker_;
};

} // namespace liga
