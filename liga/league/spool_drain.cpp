// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spool_drain.h"
#include "handler.h"
#include "ligacode.h"

#include <exception>

namespace liga {

namespace {

// The first try of a pass only asks whether the store is back: a short wait, so that a
// server stopping meanwhile is not held up by a database that does not answer.
constexpr std::chrono::milliseconds probeWait{150};

} // namespace

SpoolDrain::SpoolDrain(Store& store, Spool& spool, const ReviewBounds& review, std::ostream& log,
                       std::chrono::milliseconds every)
    : store_(store), spool_(spool), review_(review), log_(log), worker_(every, [this] { step(); }) {
}

SpoolDrain::~SpoolDrain() {
    stopping_ = true;
    worker_.stop();
}

bool SpoolDrain::store(const SpoolRecord& r, bool& reached) {
    if (stopping_) return false;
    const TCodePruefung p = ligacodePruefen(r.code);
    // Only a valid code is spooled; anything else makes no entry.
    if (p.befund != TCodeBefund::gut) return true;
    try {
        store_.submit(submissionOf(p, r.code, r.arrivedAt, review_),
                      waitFromNow(reached ? defaultWait : probeWait));
    } catch (const std::exception& e) {
        if (e.what() != lastFailure_) {
            lastFailure_ = e.what();
            log_ << "zundel-liga: the spool waits: " << lastFailure_ << std::endl;
        }
        return false;
    }
    if (!reached) spool_.markStoreBack();
    reached = true;
    lastFailure_.clear();
    return true;
}

void SpoolDrain::step() {
    bool reached = false;
    const std::size_t stored =
        spool_.drain([&](const SpoolRecord& r) { return store(r, reached); });
    if (stored > 0)
        log_ << "zundel-liga: " << stored << " codes from the spool handed to the league, "
             << spool_.waiting() << " still wait" << std::endl;
    if (reached || stopping_ || !spool_.storeAway() || spool_.waiting() > 0) return;
    // Nothing waits, but the last submission found the store away: is it back?
    try {
        store_.version(waitFromNow(probeWait));
        spool_.markStoreBack();
        lastFailure_.clear();
    } catch (const std::exception&) {
    }
}

} // namespace liga
