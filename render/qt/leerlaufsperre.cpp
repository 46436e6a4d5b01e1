// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "leerlaufsperre.h"

#include "dxtimer.h"

TLeerlaufSperre::TLeerlaufSperre(TDXTimer* timer) : timer_(timer) {
    if (timer_) timer_->sperren();
}

TLeerlaufSperre::~TLeerlaufSperre() {
    if (timer_) timer_->freigeben();
}
