// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "periodic_worker.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace liga {

// Jobs run by a fixed number of threads, in the order they came; at most `capacity` wait.
class WorkQueue final {
public:
    WorkQueue(unsigned threads, std::size_t capacity);
    // Takes no more jobs, runs every job taken so far and stops the threads.
    void stop();
    ~WorkQueue() { stop(); }
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // False, and the job is not taken, when `capacity` jobs wait already.
    bool post(std::function<void()> job);

private:
    // Runs jobs until none waits.
    void drain();

    const std::size_t capacity_;
    std::mutex mutex_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    PeriodicWorker workers_; // woken by each job, never by the clock
};

} // namespace liga
