// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace liga {

// The threads, stop flag and wake-up that the league's background work shares: the
// connection watch, the SQLite checkpointer, the moderation log and the work queue.
// Calls `step` from threads of its own, whenever woken and, unless `period` is zero, every
// `period`. Declare it after everything `step` uses, so that it stops first.
class PeriodicWorker final {
public:
    PeriodicWorker(std::chrono::milliseconds period, std::function<void()> step,
                   unsigned threads = 1);
    ~PeriodicWorker() { stop(); }
    PeriodicWorker(const PeriodicWorker&) = delete;
    PeriodicWorker& operator=(const PeriodicWorker&) = delete;

    // A thread runs `step` now; if every thread is in it, one runs it once more after.
    void wake();
    // Waits for the steps under way to end, at once for the threads that wait; no step
    // starts after it.
    void stop();

private:
    void run();

    const std::chrono::milliseconds period_;
    const std::function<void()> step_;
    std::mutex mutex_;
    std::condition_variable wake_;
    unsigned pending_ = 0; // wake-ups not yet taken, at most one per thread
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace liga
