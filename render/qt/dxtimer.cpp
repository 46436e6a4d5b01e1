// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dxtimer.h"

#include <QGuiApplication>
#include <chrono>
#include <limits>

std::optional<int32_t> LagCountFor(uint32_t now, uint32_t previous, uint32_t interval) {
    const uint32_t d = now - previous;
    if (d < interval) return std::nullopt;
    const uint32_t steps = d / (interval > 0 ? interval : 1u);
    // A count beyond the signed range saturates instead of turning negative.
    constexpr uint32_t largest = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
    if (steps > largest) return std::numeric_limits<int32_t>::max();
    return steps < 1u ? 1 : static_cast<int32_t>(steps);
}

uint32_t SteadyMilliseconds() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(static_cast<uint64_t>(ms.count()));
}

TDXTimer::TDXTimer(QObject* parent) : QObject(parent), clock_(SteadyMilliseconds) {
    // A zero-interval timer fires whenever the event loop has no other events waiting.
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, &TDXTimer::idle);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        appActive_ = QGuiApplication::applicationState() == Qt::ApplicationActive;
        connect(app, &QGuiApplication::applicationStateChanged, this,
                &TDXTimer::ApplicationStateChanged);
    }
}

void TDXTimer::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    if (value) {
        start();
    } else {
        stop();
    }
}

void TDXTimer::SetActiveOnly(bool value) {
    if (activeOnly_ == value) return;
    activeOnly_ = value;
    if (enabled_) start();
}

void TDXTimer::SetClock(std::function<uint32_t()> clock) {
    clock_ = clock ? std::move(clock) : std::function<uint32_t()>(SteadyMilliseconds);
}

void TDXTimer::ApplicationStateChanged(Qt::ApplicationState state) {
    const bool active = state == Qt::ApplicationActive;
    if (active == appActive_) return;
    appActive_ = active;
    if (!enabled_ || !activeOnly_) return;
    if (active) {
        start();
    } else {
        stop();
    }
}

void TDXTimer::start() {
    stop();
    if (activeOnly_ && !appActive_) return;
    previous_ = clock_();
    hooked_ = true;
    idle_.start();
}

void TDXTimer::lock() {
    ++locks_;
}

void TDXTimer::unlock() {
    // Paused by the lock: back to every idle moment once the last lock has gone.
    if (--locks_ == 0 && hooked_ && !idle_.isActive()) idle_.start();
}

void TDXTimer::stop() {
    hooked_ = false;
    idle_.stop();
}

void TDXTimer::idle() {
    // A nested event pump that must not run frames (a synchronous network call). A zero
    // timer left running would keep that pump from ever sleeping, so it waits for the lock.
    if (locks_ > 0) {
        idle_.stop();
        return;
    }
    const uint32_t t = clock_();
    const std::optional<int32_t> lag = LagCountFor(t, previous_, interval_);
    if (!lag) return;
    previous_ = t;
    if (OnTimer) OnTimer(this, *lag);
}
