// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "store.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace liga {

// Submissions that come while others are being written wait, and are then written
// together by one of them, each in a savepoint of one transaction: a commit writes every
// page it changed to the log once, so that the pages that the submissions share (the
// counts, the rankings' indexes, the change count) cost a batch what one submission costs.
// The one that leads waits for the writing connection first and takes the batch only
// then, so that everything that came meanwhile goes with it.
class SubmissionBatches {
public:
    // One waiting submission; the writer sets `placed` or `error` for each.
    struct Waiting {
        const Submission* entry = nullptr;
        Deadline until;
        std::optional<Placement> placed;
        std::exception_ptr error;
        bool queued = true;
        bool done = false;
        // Woken alone: when its batch is written, or when it may lead the next one.
        std::condition_variable wake;
    };
    using Batch = std::vector<Waiting*>;
    // Takes the submissions waiting now; the writer calls it once it may write.
    using Take = std::function<Batch()>;
    // Waits for the writing connection by `until`, takes a batch and writes it, by the
    // earliest deadline among it; throws when it wrote none of it.
    using Writer = std::function<void(const Take& take, Deadline until)>;

    // The placement of `entry`, written in a batch by this thread or another.
    Placement submit(const Submission& entry, Deadline until, const Writer& write);

    // Submissions in one transaction at most.
    static constexpr std::size_t mostInBatch = 64;

private:
    // With mutex_: the first that waits to be taken may now lead.
    void wakeNextLeader();

    std::mutex mutex_;
    std::deque<Waiting*> queue_;
    bool leading_ = false; // one waits to take the next batch
};

} // namespace liga
