// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_batches.h"

#include <algorithm>

namespace liga {

Placement SubmissionBatches::submit(const Submission& entry, Deadline until, const Writer& write) {
    Waiting me;
    me.entry = &entry;
    me.until = until;
    std::unique_lock lock(mutex_);
    queue_.push_back(&me);
    while (!me.done) {
        if (me.queued && !leading_) {
            leading_ = true;
            lock.unlock();
            Batch batch;
            const Take take = [&] {
                std::lock_guard taking(mutex_);
                while (!queue_.empty() && batch.size() < mostInBatch) {
                    batch.push_back(queue_.front());
                    batch.back()->queued = false;
                    queue_.pop_front();
                }
                // The next batch may gather and wait for this one.
                leading_ = false;
                wakeNextLeader();
                return batch;
            };
            std::exception_ptr failed;
            try {
                write(take, until);
            } catch (...) {
                failed = std::current_exception();
            }
            lock.lock();
            if (batch.empty()) {
                // Not even the connection by our deadline: this one gives up alone.
                leading_ = false;
                queue_.erase(std::find(queue_.begin(), queue_.end(), &me));
                me.error =
                    failed
                        ? failed
                        : std::make_exception_ptr(StoreUnavailable("the league database is busy"));
                me.done = true;
                wakeNextLeader();
            }
            for (Waiting* w : batch) {
                if (failed && !w->error) w->error = failed;
                w->done = true;
                w->wake.notify_one();
            }
            continue;
        }
        if (me.wake.wait_until(lock, until) == std::cv_status::timeout && !me.done) {
            if (me.queued) {
                queue_.erase(std::find(queue_.begin(), queue_.end(), &me));
                throw StoreUnavailable("the league database is busy");
            }
            // Being written, by the earliest deadline of its batch, which is not after ours.
            me.wake.wait(lock, [&] { return me.done; });
        }
    }
    if (me.error) std::rethrow_exception(me.error);
    return *me.placed;
}

void SubmissionBatches::wakeNextLeader() {
    if (!queue_.empty()) queue_.front()->wake.notify_one();
}

} // namespace liga
