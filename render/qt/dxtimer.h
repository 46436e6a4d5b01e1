// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

// The lag of an idle moment at clock reading `now` after the tick at `previous`: nothing
// while fewer than `interval` milliseconds have passed, else the number of interval steps
// (milliseconds for interval 0), at least 1 and at most INT32_MAX. The difference is taken
// unsigned in 32 bits, so the clock's wrap-around after 2^32 ms does no harm.
std::optional<int32_t> LagCountFor(uint32_t now, uint32_t previous, uint32_t interval);

// A steady millisecond clock, wrapping around after 2^32 ms.
uint32_t SteadyMilliseconds();

// The frame timer: calls OnTimer whenever the event loop has nothing else to do, also
// inside modal dialogs, and, with ActiveOnly, only while the application is active.
// No ticks fire while a TIdleLock on it lives. The toolkit never re-enters a timer from
// its own handler, so a modal loop opened inside a tick gets ticks only after the tick has
// switched Enabled off and on (a restart hooks in afresh).
class TDXTimer final : public QObject {
    Q_OBJECT

public:
    explicit TDXTimer(QObject* parent = nullptr);

    // Off by default, so nothing ticks before the handler is attached.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool ActiveOnly() const { return activeOnly_; }
    void SetActiveOnly(bool value);
    // Minimum milliseconds between ticks; 0 ticks at every idle moment.
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t value) { interval_ = value; }

    // The tick: LagCount is the number of Interval steps since the previous tick, >= 1.
    std::function<void(QObject* Sender, int32_t LagCount)> OnTimer;

    // Whether the timer is hooked into the idle processing right now.
    bool Hooked() const { return hooked_; }
    // Whether an idle lock holds it.
    bool Locked() const { return locks_ > 0; }

    // The millisecond clock it reads; tests set their own.
    void SetClock(std::function<uint32_t()> clock);

public slots:
    // Connected to QGuiApplication::applicationStateChanged; tests call it to simulate
    // activation and deactivation.
    void ApplicationStateChanged(Qt::ApplicationState state);

private:
    friend class TIdleLock;
    void lock();
    void unlock();
    void start();
    void stop();
    void idle();

    bool enabled_ = false;
    bool hooked_ = false;
    bool activeOnly_ = true;
    uint32_t interval_ = 0;
    bool appActive_ = true;
    uint32_t previous_ = 0;
    int locks_ = 0; // idle locks alive
    std::function<uint32_t()> clock_;
    QTimer idle_;
};
