// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dxtimer.h"
#include "idlelock.h"
#include "qtanwendung.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

TEST(LagCountFor, CountsIntervalStepsAtLeastOne) {
    EXPECT_EQ(LagCountFor(1000, 1000, 0), 1); // same millisecond: still one tick
    EXPECT_EQ(LagCountFor(1005, 1000, 0), 5);
    EXPECT_EQ(LagCountFor(1009, 1000, 10), std::nullopt);
    EXPECT_EQ(LagCountFor(1010, 1000, 10), 1);
    EXPECT_EQ(LagCountFor(1029, 1000, 10), 2);
}

TEST(LagCountFor, DifferenceWrapsAroundUnsigned) {
    // 16 ms before the wrap to 16 ms after it: 32 ms.
    EXPECT_EQ(LagCountFor(0x10u, 0xFFFFFFF0u, 0), 32);
    EXPECT_EQ(LagCountFor(0x10u, 0xFFFFFFF0u, 16), 2);
    EXPECT_EQ(LagCountFor(0x10u, 0xFFFFFFF0u, 33), std::nullopt);
    EXPECT_EQ(LagCountFor(0u, 0xFFFFFFFFu, 0), 1);
}

TEST(LagCountFor, HugeGapsSaturateInsteadOfTurningNegative) {
    constexpr int32_t groesste = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(LagCountFor(0xFFFFFFFFu, 0, 0), groesste);
    EXPECT_EQ(LagCountFor(0x80000000u, 0, 1), groesste);
    EXPECT_EQ(LagCountFor(0xFFFFFFFFu, 0, 2), 0x7FFFFFFF);
    EXPECT_EQ(LagCountFor(0x7FFFFFFFu, 0, 0), groesste);
}

// A timer on a clock the test sets, with the ticks it fired.
class DXTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qtAnwendung();
        timer.SetClock([this] {
            ++lesungen;
            uhr += schritt;
            return uhr;
        });
        timer.OnTimer = [this](QObject* sender, int32_t lag) {
            EXPECT_EQ(sender, &timer);
            lags.push_back(lag);
            zeiten.push_back(uhr);
            if (beiTakt) beiTakt();
        };
        timer.ApplicationStateChanged(Qt::ApplicationActive);
    }

    // Runs the event loop until `fertig` holds or two seconds have passed.
    bool pumpen(const std::function<bool()>& fertig) {
        QElapsedTimer dauer;
        dauer.start();
        while (!fertig()) {
            if (dauer.elapsed() > 2000) return false;
            QCoreApplication::processEvents();
        }
        return true;
    }
    // Runs the event loop for `ms` milliseconds.
    void pumpenFuer(int ms) {
        QElapsedTimer dauer;
        dauer.start();
        while (dauer.elapsed() < ms) QCoreApplication::processEvents();
    }

    TDXTimer timer;
    uint32_t uhr = 1000;
    uint32_t schritt = 0; // added at each reading
    int lesungen = 0;
    std::vector<int32_t> lags;
    std::vector<uint32_t> zeiten;
    std::function<void()> beiTakt;
};

TEST_F(DXTimerTest, TicksAtEveryIdleMomentWithTheMillisecondsSinceThePrevious) {
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(timer.Hooked());
    pumpenFuer(20);
    EXPECT_TRUE(lags.empty()); // off until enabled

    uhr = 0xFFFFFFE0u; // across the clock's wrap-around
    schritt = 7;
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Hooked());
    ASSERT_TRUE(pumpen([&] { return lags.size() >= 10; }));
    for (int32_t lag : lags) EXPECT_EQ(lag, 7);
    EXPECT_LT(zeiten.back(), 0x100u); // it did wrap

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Hooked());
    const std::size_t bisher = lags.size();
    pumpenFuer(20);
    EXPECT_EQ(lags.size(), bisher);
}

TEST_F(DXTimerTest, IntervalHoldsTicksBackUntilItHasPassed) {
    schritt = 4;
    timer.SetInterval(10);
    timer.SetEnabled(true); // previous tick time 1004
    ASSERT_TRUE(pumpen([&] { return lags.size() >= 3; }));
    // Readings 1008 and 1012 are too early, 1016 ticks; then 1028, 1040.
    EXPECT_EQ(zeiten[0], 1016u);
    EXPECT_EQ(zeiten[1], 1028u);
    EXPECT_EQ(zeiten[2], 1040u);
    EXPECT_EQ(lags[0], 1);
}

TEST_F(DXTimerTest, NoTicksWhileInactiveAndAFreshStartOnActivation) {
    timer.ApplicationStateChanged(Qt::ApplicationInactive);
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Hooked());
    pumpenFuer(20);
    EXPECT_TRUE(lags.empty());

    uhr = 50000; // a long time inactive
    schritt = 0;
    timer.ApplicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(timer.Hooked());
    uhr = 50003;
    ASSERT_TRUE(pumpen([&] { return !lags.empty(); }));
    EXPECT_EQ(lags[0], 3); // counted from the activation, not from before

    timer.ApplicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(timer.Hooked());
    const std::size_t bisher = lags.size();
    pumpenFuer(20);
    EXPECT_EQ(lags.size(), bisher);
    EXPECT_TRUE(timer.Enabled()); // still switched on; it waits for the next activation
}

TEST_F(DXTimerTest, WithoutActiveOnlyItTicksWhileInactive) {
    timer.SetActiveOnly(false);
    timer.ApplicationStateChanged(Qt::ApplicationInactive);
    timer.SetEnabled(true);
    schritt = 1;
    ASSERT_TRUE(pumpen([&] { return lags.size() >= 3; }));
    // Switching ActiveOnly back on while inactive unhooks it.
    timer.SetActiveOnly(true);
    EXPECT_FALSE(timer.Hooked());
}

TEST_F(DXTimerTest, SwitchedOffAndOnInsideItsOwnTick) {
    timer.SetEnabled(true);
    beiTakt = [&] {
        if (lags.size() != 1) return;
        uhr += 100;
        timer.SetEnabled(false);
        timer.SetEnabled(true); // previous tick time now uhr
        uhr += 3;
    };
    ASSERT_TRUE(pumpen([&] { return lags.size() >= 2; }));
    EXPECT_EQ(lags[1], 3);
    EXPECT_TRUE(timer.Hooked());

    // Switched off inside a tick, it stays off.
    beiTakt = [&] { timer.SetEnabled(false); };
    ASSERT_TRUE(pumpen([&] { return lags.size() >= 3; }));
    const std::size_t bisher = lags.size();
    pumpenFuer(20);
    EXPECT_EQ(lags.size(), bisher);
}

TEST_F(DXTimerTest, TicksInsideAModalDialogAndCanCloseIt) {
    schritt = 1;
    QDialog dialog;
    bool notbremse = false;
    QTimer::singleShot(3000, &dialog, [&] {
        notbremse = true;
        dialog.reject();
    });
    beiTakt = [&] {
        if (lags.size() == 5) dialog.accept();
    };
    timer.SetEnabled(true);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_FALSE(notbremse);
    EXPECT_GE(lags.size(), 5u);
}

TEST_F(DXTimerTest, ATickStopsItselfForOneDialogAndRunsAgainInTheNext) {
    // The new-record hand-off: off around the name entry, on again for the best times,
    // both shown modally from inside the tick.
    schritt = 1;
    int imErsten = -1, imZweiten = -1;
    bool einmal = false;
    QDialog* offen = nullptr; // the best-times dialog while it is shown
    std::size_t davor = 0;
    beiTakt = [&] {
        if (offen != nullptr) {
            if (lags.size() >= davor + 5) offen->accept();
            return;
        }
        if (einmal) return;
        einmal = true;
        timer.SetEnabled(false);
        const std::size_t vorher = lags.size();
        QDialog name;
        QTimer::singleShot(50, &name, &QDialog::accept);
        name.exec();
        imErsten = static_cast<int>(lags.size() - vorher);
        timer.SetEnabled(true);

        QDialog bestzeiten;
        davor = lags.size();
        offen = &bestzeiten;
        QTimer::singleShot(3000, &bestzeiten, &QDialog::reject);
        const int ergebnis = bestzeiten.exec();
        offen = nullptr;
        imZweiten = static_cast<int>(lags.size() - davor);
        EXPECT_EQ(ergebnis, QDialog::Accepted);
    };
    timer.SetEnabled(true);
    ASSERT_TRUE(pumpen([&] { return imZweiten >= 0; }));
    EXPECT_EQ(imErsten, 0);
    EXPECT_GE(imZweiten, 5);
}

TEST_F(DXTimerTest, NoTicksWhileAnIdleLockLives) {
    schritt = 1;
    timer.SetEnabled(true);
    ASSERT_TRUE(pumpen([&] { return lags.size() >= 2; }));
    {
        TIdleLock sperre(&timer);
        EXPECT_TRUE(timer.Locked());
        const std::size_t bisher = lags.size();
        { TIdleLock verschachtelt(&timer); }
        EXPECT_TRUE(timer.Locked()); // the outer one still holds
        TDXTimer anderer;            // a lock pauses its own timer only
        EXPECT_FALSE(anderer.Locked());
        pumpenFuer(30);
        EXPECT_EQ(lags.size(), bisher);
    }
    EXPECT_FALSE(timer.Locked());
    const std::size_t danach = lags.size();
    ASSERT_TRUE(pumpen([&] { return lags.size() > danach; }));
}

TEST_F(DXTimerTest, AnIdleLockLetsTheGuardedPumpSleep) {
    schritt = 1;
    timer.SetEnabled(true);
    ASSERT_TRUE(pumpen([&] { return lags.size() >= 2; }));
    {
        TIdleLock sperre(&timer);
        bool fertig = false;
        QTimer::singleShot(100, [&] { fertig = true; });
        int runden = 0;
        while (!fertig && runden < 100000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            ++runden;
        }
        EXPECT_TRUE(fertig);
        // A running zero timer would wake the pump thousands of times in 100 ms.
        EXPECT_LT(runden, 20);
        EXPECT_TRUE(timer.Hooked());
    }
    const std::size_t danach = lags.size();
    ASSERT_TRUE(pumpen([&] { return lags.size() > danach; }));
}

} // namespace
