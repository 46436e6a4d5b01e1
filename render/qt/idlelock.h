// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPointer>

class TDXTimer;

// While at least one of these lives, its frame timer fires no ticks. A caller that pumps
// the event loop itself in the middle of its own code (a synchronous network call) holds
// one, so that no frame runs there. Without a timer it pauses nothing.
class TIdleLock final {
public:
    explicit TIdleLock(TDXTimer* timer);
    ~TIdleLock();
    TIdleLock(const TIdleLock&) = delete;
    TIdleLock& operator=(const TIdleLock&) = delete;

private:
    QPointer<TDXTimer> timer_;
};
