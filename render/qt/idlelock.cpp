// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "idlelock.h"

#include "dxtimer.h"

TIdleLock::TIdleLock(TDXTimer* timer) : timer_(timer) {
    if (timer_) timer_->lock();
}

TIdleLock::~TIdleLock() {
    if (timer_) timer_->unlock();
}
