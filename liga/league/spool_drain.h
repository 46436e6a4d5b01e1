// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Stores the codes that waited in the spool once the store can take them again.
#pragma once
#include "periodic_worker.h"
#include "review.h"
#include "spool.h"
#include "store.h"

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>

namespace liga {

// Every `every`, in a thread of its own, hands what waits in the spool to the store, as
// the league would have at the moment each code came: received then, held when the
// review bounds say so, refused for a name barred by now, counted once however often it
// came. Tells `log` what it stored, and once per outage why the store refused. Stops
// between two codes.
class SpoolDrain final {
public:
    SpoolDrain(Store& store, Spool& spool, const ReviewBounds& review, std::ostream& log,
               std::chrono::milliseconds every = std::chrono::milliseconds(1000));
    ~SpoolDrain();
    SpoolDrain(const SpoolDrain&) = delete;
    SpoolDrain& operator=(const SpoolDrain&) = delete;

private:
    void step();
    // False when the store did not take it and the pass ends.
    bool store(const SpoolRecord& record, bool& reached);

    Store& store_;
    Spool& spool_;
    const ReviewBounds review_;
    std::ostream& log_;
    std::atomic<bool> stopping_ = false;
    std::string lastFailure_;
    PeriodicWorker worker_;
};

} // namespace liga
