// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "work_queue.h"

#include <chrono>

namespace liga {

WorkQueue::WorkQueue(unsigned threads, std::size_t capacity)
    : capacity_(capacity), workers_(
                               std::chrono::milliseconds::zero(), [this] { drain(); }, threads) {}

void WorkQueue::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workers_.stop();
    // What was taken before is still answered.
    drain();
}

bool WorkQueue::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || jobs_.size() >= capacity_) return false;
        jobs_.push_back(std::move(job));
    }
    workers_.wake();
    return true;
}

void WorkQueue::drain() {
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard lock(mutex_);
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

} // namespace liga
