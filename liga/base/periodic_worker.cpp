// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "periodic_worker.h"

#include <algorithm>

namespace liga {

PeriodicWorker::PeriodicWorker(std::chrono::milliseconds period, std::function<void()> step,
                               unsigned threads)
    : period_(period), step_(std::move(step)) {
    for (unsigned i = 0; i < std::max(threads, 1u); ++i) threads_.emplace_back([this] { run(); });
}

void PeriodicWorker::wake() {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::min<unsigned>(pending_ + 1, static_cast<unsigned>(threads_.size()));
    }
    wake_.notify_one();
}

void PeriodicWorker::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

void PeriodicWorker::run() {
    const auto woken = [this] { return stopping_ || pending_ > 0; };
    std::unique_lock lock(mutex_);
    for (;;) {
        if (period_.count() > 0)
            wake_.wait_for(lock, period_, woken);
        else
            wake_.wait(lock, woken);
        if (stopping_) return;
        if (pending_ > 0) --pending_;
        lock.unlock();
        step_();
        lock.lock();
    }
}

} // namespace liga
