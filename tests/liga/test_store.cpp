// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What every league store promises, asked of each store through the same cases.
#include "period.h"
#include "ranking.h"
#include "store_factories.h"
#include "views.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>

namespace {

using namespace liga;

// A code of its own for every number: the store takes codes as they come.
std::string code(int n) {
    char text[65];
    std::snprintf(text, sizeof text, "%064X", static_cast<unsigned>(n));
    return text;
}

Submission entry(const std::string& name, int32_t level, int32_t tenths, int n,
                 int64_t received = 1700000000) {
    return {name, level, tenths, received + n, code(n)};
}

std::vector<std::pair<std::string, int32_t>> namesAndTimes(const std::vector<BoardRow>& rows) {
    std::vector<std::pair<std::string, int32_t>> r;
    for (const BoardRow& row : rows) r.emplace_back(row.name, row.tenths);
    return r;
}

template <class Factory> class StoreContract : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = factory.missing(); !why.empty()) {
            if (Factory::required()) FAIL() << why;
            GTEST_SKIP() << why;
        }
        store = factory.open();
    }
    Factory factory;
    std::unique_ptr<Store> store;
};

TYPED_TEST_SUITE(StoreContract, StoreFactories, StoreFactoryName);

TYPED_TEST(StoreContract, EqualTimesShareAPlaceAndTheNextTimeTakesThePlaceAfterThem) {
    Store& s = *this->store;
    EXPECT_EQ(s.submit(entry("Mitte_Anna", 2, 70, 1)).place, 1);
    const Placement faster = s.submit(entry("Flink_Bernd", 2, 50, 2));
    EXPECT_EQ(faster.place, 1);
    EXPECT_EQ(faster.ranked, 2);
    const Placement equal = s.submit(entry("Gleich_Clara", 2, 50, 3));
    EXPECT_EQ(equal.place, 1);
    EXPECT_EQ(equal.ranked, 3);
    const Placement after = s.submit(entry("Danach_Dora", 2, 60, 4));
    EXPECT_EQ(after.place, 3);
    EXPECT_EQ(after.ranked, 4);
    EXPECT_EQ(s.submit(entry("Langsam_Emil", 2, 999, 5)).place, 5);
    // Another level ranks on its own, also across the edges of the counts' buckets.
    EXPECT_EQ(s.submit(entry("Anderswo_Fritz", 3, 128, 6)).ranked, 1);
    EXPECT_EQ(s.submit(entry("Anderswo_Gerd", 3, 64, 7)).place, 1);
    EXPECT_EQ(s.submit(entry("Anderswo_Hans", 3, 63, 8)).place, 1);
    EXPECT_EQ(s.submit(entry("Anderswo_Ines", 3, 64, 9)).place, 2);
    EXPECT_EQ(s.submit(entry("Anderswo_Jan", 3, 127, 10)).place, 4);
    const Placement edge = s.submit(entry("Anderswo_Kai", 3, 128, 11));
    EXPECT_EQ(edge.place, 5);
    EXPECT_EQ(edge.ranked, 6);
    EXPECT_EQ(s.submit(entry("Anderswo_Lea", 3, 129, 12)).place, 7);

    const std::vector<BoardRow> list = s.board(2, 100);
    std::vector<int64_t> places;
    for (const BoardRow& r : list) places.push_back(r.place);
    EXPECT_EQ(places, (std::vector<int64_t>{1, 1, 3, 4, 5}));
    // Equal times by when they came.
    EXPECT_EQ(list[0].name, "Flink_Bernd");
    EXPECT_EQ(list[1].name, "Gleich_Clara");
    EXPECT_EQ(list[1].receivedAt, 1700000003);
}

TYPED_TEST(StoreContract, ANamesBestReplacesAWorseOneAndASlowerTimeChangesNoBoard) {
    Store& s = *this->store;
    s.submit(entry("Vorne_Vera", 1, 40, 1));
    s.submit(entry("Eifrig_Egon", 1, 90, 2));
    // Slower than his best: placed among the others' best times, the board keeps 9,0.
    const Placement slower = s.submit(entry("Eifrig_Egon", 1, 120, 3));
    EXPECT_FALSE(slower.alreadyReceived);
    EXPECT_EQ(slower.place, 2);
    EXPECT_EQ(slower.ranked, 2);
    EXPECT_EQ(namesAndTimes(s.board(1, 100)), (std::vector<std::pair<std::string, int32_t>>{
                                                  {"Vorne_Vera", 40}, {"Eifrig_Egon", 90}}));
    // Faster than everyone: his one row moves to the top with the new time and date.
    const Placement better = s.submit(entry("Eifrig_Egon", 1, 30, 4));
    EXPECT_EQ(better.place, 1);
    EXPECT_EQ(better.ranked, 2);
    const std::vector<BoardRow> list = s.board(1, 100);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Eifrig_Egon");
    EXPECT_EQ(list[0].tenths, 30);
    EXPECT_EQ(list[0].receivedAt, 1700000004);
    // The count of his old time went with it: a time between ranks behind Vera alone.
    EXPECT_EQ(s.submit(entry("Zwischen_Zora", 1, 60, 5)).place, 3);
    EXPECT_EQ(s.submit(entry("Zwischen_Zack", 1, 100, 6)).place, 4);
}

TYPED_TEST(StoreContract, ACodeCountsOnceAlsoThroughAnotherConnectionAndVersionFollowsChanges) {
    Store& s = *this->store;
    const uint64_t empty = s.version();
    const Submission e = entry("Beharrlich", 5, 500, 1);
    EXPECT_FALSE(s.submit(e).alreadyReceived);
    const uint64_t one = s.version();
    EXPECT_NE(one, empty);
    s.submit(entry("Schneller_Sam", 5, 400, 2));
    s.submit(entry("Beharrlich", 5, 300, 3));

    // A second store on the same database, as another server process or a restart has it.
    std::unique_ptr<Store> second = this->factory.open();
    const uint64_t versionBefore = second->version();
    EXPECT_EQ(versionBefore, s.version());
    // The same code again, even with another date: nothing added, placed by what was
    // stored with it (5,0 s, now behind Sam and the name's own better time).
    Submission again = e;
    again.receivedAt += 1000;
    const Placement p = second->submit(again);
    EXPECT_TRUE(p.alreadyReceived);
    EXPECT_EQ(p.place, 2);
    EXPECT_EQ(p.ranked, 2);
    EXPECT_EQ(s.version(), versionBefore);
    EXPECT_EQ(second->board(5, 100).size(), 2u);

    second->submit(entry("Neu_Nora", 5, 200, 4));
    EXPECT_GT(s.version(), versionBefore); // seen by the first store, not only by its writer
    EXPECT_EQ(s.board(5, 100)[0].name, "Neu_Nora");
}

TYPED_TEST(StoreContract, BoardsStopAtTheirLimitAndAnEmptyLevelHasNone) {
    Store& s = *this->store;
    for (int i = 0; i < 12; ++i)
        s.submit(entry("Name_" + std::to_string(100 + i), 4, 100 + i / 3, i));
    EXPECT_TRUE(s.board(3, 100).empty());
    EXPECT_TRUE(s.board(4, 0).empty());
    const std::vector<BoardRow> five = s.board(4, 5);
    ASSERT_EQ(five.size(), 5u);
    // Cut inside a run of equal times, the rows keep the run's place.
    EXPECT_EQ(five[3].place, 4);
    EXPECT_EQ(five[4].place, 4);
    EXPECT_EQ(s.board(4, 100).size(), 12u);
    EXPECT_EQ(s.board(4, 100).back().place, 10);
}

TYPED_TEST(StoreContract, EightThreadsAtOnceLeaveTheBoardsAModelPredicts) {
    // 8 threads send 1,600 entries of 40 names on two levels; a quarter of them are codes
    // another thread sends too.
    constexpr int threads = 8, each = 200;
    struct Sent {
        Submission e;
        int sender;
    };
    std::vector<Sent> all;
    for (int t = 0; t < threads; ++t)
        for (int i = 0; i < each; ++i) {
            const int n = t * each + i;
            const bool twice = i % 4 == 0 && t > 0;
            const int number = twice ? n - each : n; // the code of the thread before
            const std::string name = "Spieler_" + std::to_string(number % 40);
            // Each name's times differ, so its best is one entry; other names share them.
            const int32_t time = 20 + (number / 40) * 7919 % 41 * 5;
            all.push_back({entry(name, 1 + number % 2, time, number), t});
        }
    std::vector<std::vector<std::pair<Submission, Placement>>> answers(threads);
    std::vector<std::thread> runner;
    std::atomic<int> errors = 0;
    for (int t = 0; t < threads; ++t)
        runner.emplace_back([&, t] {
            for (const Sent& s : all)
                if (s.sender == t) try {
                        answers[t].emplace_back(
                            s.e, this->store->submit(s.e, waitFromNow(std::chrono::seconds(30))));
                    } catch (const std::exception& e) {
                        ++errors;
                        ADD_FAILURE() << e.what();
                    }
        });
    for (std::thread& l : runner) l.join();
    ASSERT_EQ(errors, 0);

    // Every code once: one thread was first, the other was told so.
    std::map<std::string, int> first;
    for (const auto& a : answers)
        for (const auto& [e, p] : a) first[e.code] += p.alreadyReceived ? 0 : 1;
    for (const auto& [c, n] : first) EXPECT_EQ(n, 1) << c;

    // The model: each name's fastest time, equal times by arrival; places by faster names.
    for (int32_t level = 1; level <= 2; ++level) {
        std::map<std::string, Submission> best;
        for (const Sent& s : all) {
            if (s.e.level != level) continue;
            auto [it, fresh] = best.emplace(s.e.name, s.e);
            if (!fresh && s.e.tenths < it->second.tenths) it->second = s.e;
        }
        std::vector<Submission> expected;
        for (const auto& [n, e] : best) expected.push_back(e);
        std::sort(expected.begin(), expected.end(), [](const Submission& a, const Submission& b) {
            return std::tie(a.tenths, a.receivedAt, a.name) <
                   std::tie(b.tenths, b.receivedAt, b.name);
        });
        const std::vector<BoardRow> list = this->store->board(level, 100);
        ASSERT_EQ(list.size(), expected.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(list[i].name, expected[i].name);
            EXPECT_EQ(list[i].tenths, expected[i].tenths);
            const auto faster =
                std::count_if(expected.begin(), expected.end(),
                              [&](const Submission& e) { return e.tenths < expected[i].tenths; });
            EXPECT_EQ(list[i].place, faster + 1);
        }
        // A new name now is placed behind exactly the names the model has faster.
        const Placement p = this->store->submit(entry("Nachzuegler", level, 150, 100000 + level));
        const auto faster = std::count_if(expected.begin(), expected.end(),
                                          [](const Submission& e) { return e.tenths < 150; });
        EXPECT_EQ(p.place, faster + 1);
        EXPECT_EQ(p.ranked, static_cast<int64_t>(expected.size()) + 1);
    }
}

TYPED_TEST(StoreContract, ModerationKeepsEachNamesBestItsFastestRankedEntryAndThePlacesCounted) {
    Store& s = *this->store;
    s.submit(entry("Anton_Alt", 1, 50, 1));
    s.submit(entry("Anton_Alt", 1, 40, 2));
    s.submit(entry("Berta_Bald", 1, 45, 3));
    Submission fast = entry("Carl_Kurz", 1, 5, 4);
    fast.held = true;
    const Placement held = s.submit(fast);
    EXPECT_EQ(held.state, EntryState::held);
    using Liste = std::vector<std::pair<std::string, int32_t>>;
    EXPECT_EQ(namesAndTimes(s.board(1, 100)), (Liste{{"Anton_Alt", 40}, {"Berta_Bald", 45}}));

    // Anton's best goes: his slower entry takes its place, and its count went too.
    uint64_t versionBefore = s.version();
    EXPECT_EQ(s.moderate(Moderation::remove, code(2), 1), ModerationResult::done);
    EXPECT_GT(s.version(), versionBefore);
    EXPECT_EQ(namesAndTimes(s.board(1, 100)), (Liste{{"Berta_Bald", 45}, {"Anton_Alt", 50}}));
    EXPECT_EQ(s.submit(entry("Dora_Dazu", 1, 42, 5)).place, 1);

    // Barred: off the board and out of the counts, nothing new stored; lifted, back.
    EXPECT_EQ(s.moderate(Moderation::ban, "Anton_Alt", 2), ModerationResult::done);
    EXPECT_EQ(s.moderate(Moderation::ban, "Anton_Alt", 2), ModerationResult::unchanged);
    EXPECT_EQ(namesAndTimes(s.board(1, 100)), (Liste{{"Dora_Dazu", 42}, {"Berta_Bald", 45}}));
    const Placement barred = s.submit(entry("Anton_Alt", 1, 30, 6));
    EXPECT_TRUE(barred.barred);
    const Placement p = s.submit(entry("Emil_Eilig", 1, 60, 7));
    EXPECT_EQ(p.place, 3);
    EXPECT_EQ(p.ranked, 3);
    EXPECT_EQ(s.moderate(Moderation::approve, code(6), 3), ModerationResult::noSuchEntry);
    EXPECT_EQ(s.moderate(Moderation::unban, "Anton_Alt", 4), ModerationResult::done);
    EXPECT_EQ(s.submit(entry("Fritz_Fix", 1, 55, 8)).place, 4);

    // Approved, the held time leads; a rejected one stays off, also when sent again.
    EXPECT_EQ(s.moderate(Moderation::approve, code(4), 5), ModerationResult::done);
    EXPECT_EQ(s.moderate(Moderation::reject, code(4), 5), ModerationResult::notHeld);
    Submission second = entry("Gerd_Gauner", 1, 3, 9);
    second.held = true;
    s.submit(second);
    EXPECT_EQ(s.moderate(Moderation::reject, code(9), 6), ModerationResult::done);
    const Placement again = s.submit(second);
    EXPECT_TRUE(again.alreadyReceived);
    EXPECT_EQ(again.state, EntryState::rejected);
    versionBefore = s.version();
    std::unique_ptr<Store> other = this->factory.open();
    EXPECT_EQ(other->version(), versionBefore);
    EXPECT_EQ(namesAndTimes(other->board(1, 100)), (Liste{{"Carl_Kurz", 5},
                                                          {"Dora_Dazu", 42},
                                                          {"Berta_Bald", 45},
                                                          {"Anton_Alt", 50},
                                                          {"Fritz_Fix", 55},
                                                          {"Emil_Eilig", 60}}));
    EXPECT_EQ(other->board(1, 100)[3].place, 4);

    // Every change logged once, in order, for every process to read.
    const std::vector<LoggedChange> log = other->changesSince(0);
    ASSERT_EQ(log.size(), 5u); // what changed nothing is not logged
    EXPECT_EQ(log[0].what, Moderation::remove);
    EXPECT_EQ(log[0].subject, code(2));
    EXPECT_EQ(log[1].what, Moderation::ban);
    EXPECT_EQ(log[1].subject, "Anton_Alt");
    EXPECT_EQ(log[4].what, Moderation::reject);
    EXPECT_EQ(log[4].at, 6);
    EXPECT_EQ(other->changesSince(log[3].id).size(), 1u);
}

TYPED_TEST(StoreContract, HoldTakesARankedEntryBackAndNamesAlikeDifferInCaseAlone) {
    Store& s = *this->store;
    s.submit(entry("Hanna_Halt", 1, 40, 1));
    s.submit(entry("Hanna_Halt", 1, 50, 2));
    s.submit(entry("Otto_Other", 1, 45, 3));
    using Liste = std::vector<std::pair<std::string, int32_t>>;
    EXPECT_EQ(s.moderate(Moderation::hold, code(1), 1), ModerationResult::done);
    EXPECT_EQ(namesAndTimes(s.board(1, 100)), (Liste{{"Otto_Other", 45}, {"Hanna_Halt", 50}}));
    EXPECT_EQ(s.submit(entry("Neu_Nina", 1, 47, 4)).place, 2);
    // Already so: nothing to do; from another state: refused.
    EXPECT_EQ(s.moderate(Moderation::hold, code(1), 2), ModerationResult::unchanged);
    EXPECT_EQ(s.moderate(Moderation::approve, code(3), 2), ModerationResult::unchanged);
    EXPECT_EQ(s.moderate(Moderation::reject, code(1), 3), ModerationResult::done);
    EXPECT_EQ(s.moderate(Moderation::reject, code(1), 3), ModerationResult::unchanged);
    EXPECT_EQ(s.moderate(Moderation::hold, code(1), 4), ModerationResult::notRanked);
    EXPECT_EQ(s.moderate(Moderation::approve, code(1), 4), ModerationResult::notHeld);
    EXPECT_EQ(s.moderate(Moderation::hold, code(2), 5), ModerationResult::done);
    EXPECT_EQ(namesAndTimes(s.board(1, 100)), (Liste{{"Otto_Other", 45}, {"Neu_Nina", 47}}));
    const std::vector<LoggedChange> log = s.changesSince(0);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[2].what, Moderation::hold);
    EXPECT_EQ(log[2].subject, code(2));

    // From entries and from the bar, a name ahead of time included; never the name itself.
    EXPECT_EQ(s.moderate(Moderation::ban, "HANNA_HALT", 6), ModerationResult::done);
    std::vector<std::string> alike = s.namesAlike("hanna_halt");
    std::sort(alike.begin(), alike.end());
    EXPECT_EQ(alike, (std::vector<std::string>{"HANNA_HALT", "Hanna_Halt"}));
    EXPECT_EQ(s.namesAlike("Hanna_Halt"), std::vector<std::string>{"HANNA_HALT"});
    EXPECT_TRUE(s.namesAlike("Hanna_Hal").empty());
}

TYPED_TEST(StoreContract, EntriesAreListedNewestFirstByLevelNameOrHeld) {
    Store& s = *this->store;
    for (int i = 0; i < 6; ++i) {
        Submission e = entry(i % 2 ? "Ungerade_Uli" : "Gerade_Gabi", 1 + i % 3, 100 + i, i);
        e.held = i == 4;
        s.submit(e);
    }
    s.moderate(Moderation::ban, "Ungerade_Uli", 1);
    const std::vector<EntryRow> all = s.entries({});
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].code, code(5));
    EXPECT_EQ(all[0].receivedAt, 1700000005);
    EXPECT_TRUE(all[0].barred);
    EXPECT_FALSE(all[1].barred);
    EXPECT_EQ(all[1].state, EntryState::held);
    EXPECT_EQ(all[1].tenths, 104);
    EXPECT_EQ(all[1].level, 2);
    EXPECT_EQ(all[5].code, code(0));
    const auto ask = [](std::optional<int32_t> level, std::optional<std::string> name, bool held,
                        int64_t atMost) {
        return EntryQuery{level, std::move(name), held, atMost};
    };
    EXPECT_EQ(s.entries(ask({}, {}, false, 2)).size(), 2u);
    EXPECT_EQ(s.entries(ask(1, {}, false, 100)).size(), 2u);
    EXPECT_EQ(s.entries(ask({}, "Gerade_Gabi", false, 0)).size(), 3u);
    const std::vector<EntryRow> held = s.entries(ask({}, {}, true, 100));
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].code, code(4));
    const std::vector<EntryRow> both = s.entries(ask(2, "Gerade_Gabi", false, 100));
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].code, code(4));
}

// A deadline that a busy machine meets: what these cases ask is what is stored.
Deadline patient() {
    return waitFromNow(std::chrono::seconds(30));
}

// What four threads that send codes while a moderation runs were answered, each with
// whether the moderation had returned before the code was sent.
struct Raced {
    Submission entry;
    Placement placed;
    bool after = false;
};

template <class Codes, class Moderate>
std::vector<Raced> race(Store& s, Codes codeOf, Moderate moderate) {
    std::atomic<bool> returned = false, stop = false;
    std::mutex mutex;
    std::vector<Raced> answers;
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t)
        senders.emplace_back([&, t] {
            for (int n = t; !stop; n += 4) try {
                    const bool after = returned;
                    const Submission e = codeOf(n);
                    const Placement p = s.submit(e, patient());
                    std::lock_guard lock(mutex);
                    answers.push_back({e, p, after});
                } catch (const std::exception& x) {
                    ADD_FAILURE() << x.what();
                    return;
                }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    try {
        EXPECT_EQ(moderate(), ModerationResult::done);
    } catch (const std::exception& x) {
        ADD_FAILURE() << x.what();
    }
    returned = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    stop = true;
    for (std::thread& t : senders) t.join();
    return answers;
}

TYPED_TEST(StoreContract, ABanARemovalAndARejectionAreFinalAgainstSubmissionsRacingThem) {
    Store& s = *this->store;
    // The operator's, as another process has it.
    const std::unique_ptr<Store> operatorStore = this->factory.open();
    Store& o = *operatorStore;
    const auto onBoard = [&](const std::string& name) {
        const std::vector<BoardRow> rows = s.board(1, 1000);
        return std::any_of(rows.begin(), rows.end(),
                           [&](const BoardRow& r) { return r.name == name; });
    };
    // A ban: the name off every board, also where a code of it waited for the ban's lock.
    for (int round = 0; round < 5; ++round) {
        const std::vector<Raced> answers = race(
            s,
            [&](int n) { return entry("Ruepel_Rudi", 1, 100 + n % 50, 1000000 * (round + 1) + n); },
            [&] { return o.moderate(Moderation::ban, "Ruepel_Rudi", 1, patient()); });
        EXPECT_FALSE(onBoard("Ruepel_Rudi")) << round;
        for (const Raced& a : answers) EXPECT_TRUE(!a.after || a.placed.barred);
        EXPECT_EQ(o.moderate(Moderation::unban, "Ruepel_Rudi", 2), ModerationResult::done);
    }

    // A removal: the code sent again comes wholly before it or wholly after, as a new one.
    const Submission best = entry("Anton_Alt", 1, 50, 100000);
    s.submit(best);
    const std::vector<Raced> removal = race(
        s, [&](int n) { return n % 2 ? best : entry("Anton_Alt", 1, 200 + n, 100001 + n); },
        [&] { return o.moderate(Moderation::remove, best.code, 3, patient()); });
    int again = 0;
    for (const Raced& a : removal) again += a.entry.code == best.code && !a.placed.alreadyReceived;
    EXPECT_LE(again, 1);
    const std::vector<EntryRow> anton = s.entries({{}, "Anton_Alt", false, 0});
    const bool back = std::any_of(anton.begin(), anton.end(),
                                  [&](const EntryRow& e) { return e.code == best.code; });
    EXPECT_EQ(back, again == 1);
    int32_t fastest = INT32_MAX;
    for (const EntryRow& e : anton) fastest = std::min(fastest, e.tenths);
    const std::vector<BoardRow> board = s.board(1, 1000);
    const auto row = std::find_if(board.begin(), board.end(),
                                  [](const BoardRow& r) { return r.name == "Anton_Alt"; });
    ASSERT_NE(row, board.end());
    EXPECT_EQ(row->tenths, fastest);

    // A rejection: the held code sent again is held before it and rejected after, never
    // ranked.
    Submission held = entry("Gerd_Gauner", 1, 3, 200000);
    held.held = true;
    s.submit(held);
    const std::vector<Raced> rejection = race(
        s, [&](int) { return held; },
        [&] { return o.moderate(Moderation::reject, held.code, 4, patient()); });
    for (const Raced& a : rejection) {
        EXPECT_TRUE(a.placed.alreadyReceived);
        EXPECT_NE(a.placed.state, EntryState::ranked);
        EXPECT_TRUE(!a.after || a.placed.state == EntryState::rejected);
    }
    EXPECT_FALSE(onBoard("Gerd_Gauner"));
}

// A moment of a Wednesday, and the periods that hold it.
constexpr int64_t wednesday = 1773230400;
const std::vector<PeriodStart> periods = {{Period::all, 0},
                                          currentPeriod(Period::year, wednesday),
                                          currentPeriod(Period::month, wednesday),
                                          currentPeriod(Period::week, wednesday)};

Submission sent(const std::string& name, int32_t level, int32_t tenths, int64_t at, int n,
                bool held = false) {
    return {name, level, tenths, at, code(n), held};
}

// What the boards should show of the entries that show: each name's fastest entry of the
// period (the earlier of equal ones), by time, arrival and name; places by faster names.
std::vector<BoardRow> modelBoard(const std::vector<Submission>& shown, int32_t level,
                                 int64_t from) {
    std::map<std::string, Submission> best;
    for (const Submission& e : shown) {
        if (e.level != level || e.receivedAt < from) continue;
        auto [it, fresh] = best.emplace(e.name, e);
        if (!fresh &&
            std::tie(e.tenths, e.receivedAt) < std::tie(it->second.tenths, it->second.receivedAt))
            it->second = e;
    }
    std::vector<BoardRow> rows;
    for (const auto& [name, e] : best) rows.push_back({0, name, e.tenths, e.receivedAt});
    std::sort(rows.begin(), rows.end(), [](const BoardRow& a, const BoardRow& b) {
        return std::tie(a.tenths, a.receivedAt, a.name) < std::tie(b.tenths, b.receivedAt, b.name);
    });
    numberPlaces(rows);
    return rows;
}

std::vector<SumRow> modelSum(const std::vector<Submission>& shown, int64_t from) {
    std::map<std::string, SumRow> lines;
    std::map<std::string, int> levels;
    for (int32_t level = 1; level <= 3; ++level)
        for (const BoardRow& r : modelBoard(shown, level, from)) {
            SumRow& s = lines[r.name];
            s.name = r.name;
            s.tenths[static_cast<std::size_t>(level - 1)] = r.tenths;
            s.total += r.tenths;
            s.receivedAt = std::max(s.receivedAt, r.receivedAt);
            ++levels[r.name];
        }
    std::vector<SumRow> rows;
    for (const auto& [name, s] : lines)
        if (levels[name] == 3) rows.push_back(s);
    const auto key = [](const SumRow& s) {
        return std::tie(s.total, s.tenths[2], s.tenths[1], s.receivedAt, s.name);
    };
    std::sort(rows.begin(), rows.end(),
              [&](const SumRow& a, const SumRow& b) { return key(a) < key(b); });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool tied = i > 0 && std::tie(rows[i].total, rows[i].tenths) ==
                                       std::tie(rows[i - 1].total, rows[i - 1].tenths);
        rows[i].place = tied ? rows[i - 1].place : static_cast<int64_t>(i) + 1;
    }
    return rows;
}

using Line = std::tuple<int64_t, std::string, int32_t, int64_t>;
std::vector<Line> lines(const std::vector<BoardRow>& rows) {
    std::vector<Line> l;
    for (const BoardRow& r : rows) l.emplace_back(r.place, r.name, r.tenths, r.receivedAt);
    return l;
}
std::vector<Line> lines(const std::vector<SumRow>& rows) {
    std::vector<Line> l;
    for (const SumRow& r : rows) l.emplace_back(r.place, r.name, r.total, r.receivedAt);
    return l;
}

// What a player's page shows of its standings and sums, one line per level or sum: level
// (0: the sum), period, best, ranked, above, below.
using Shown =
    std::tuple<int32_t, int, std::vector<Line>, int64_t, std::vector<Line>, std::vector<Line>>;
std::vector<Shown> shownOf(const std::vector<Standing>& standings,
                           const std::vector<SumStanding>& sums) {
    std::vector<Shown> all;
    const auto optional = [](const auto& row) {
        return row ? lines(std::vector{*row}) : std::vector<Line>{};
    };
    for (const Standing& s : standings)
        all.emplace_back(s.level, static_cast<int>(s.period.period), optional(s.best), s.ranked,
                         lines(s.above), lines(s.below));
    for (const SumStanding& s : sums)
        all.emplace_back(0, static_cast<int>(s.period.period), optional(s.row), s.ranked,
                         std::vector<Line>{}, std::vector<Line>{});
    return all;
}

// Every board of levels 1 to 3 and every sum, in every period, as the model has them.
void expectModel(Views& v, const std::vector<Submission>& shown, const char* when) {
    // A player's page leaves out what the name's entries rule out, and reads the same.
    std::set<std::string> names;
    for (const Submission& e : shown) names.insert(e.name);
    for (const std::string& name : names)
        for (const Period near : {Period::all, Period::week}) {
            const PlayerReads r = v.player(name, periods, near, 2, std::nullopt, 10, waitFromNow());
            EXPECT_EQ(shownOf(r.standings, r.sums),
                      shownOf(v.standings(name, periods, near, 2, waitFromNow()),
                              v.sumStandings(name, periods, waitFromNow())))
                << when << ", " << name << ", near " << static_cast<int>(near);
        }
    for (const PeriodStart& p : periods) {
        for (int32_t level = 1; level <= 3; ++level) {
            const std::vector<BoardRow> model = modelBoard(shown, level, p.from);
            const BoardPage page = v.boardPage(level, p, {0, 100}, waitFromNow());
            EXPECT_EQ(lines(page.rows), lines(model))
                << when << ", level " << level << ", period " << static_cast<int>(p.period);
            EXPECT_EQ(page.ranked, static_cast<int64_t>(model.size()));
        }
        const std::vector<SumRow> model = modelSum(shown, p.from);
        const SumPage page = v.sumPage(p, {0, 100}, waitFromNow());
        EXPECT_EQ(lines(page.rows), lines(model))
            << when << ", sum, period " << static_cast<int>(p.period);
        EXPECT_EQ(page.ranked, static_cast<int64_t>(model.size()));
    }
}

TYPED_TEST(StoreContract, PeriodBoardsAndSumsRankWhatArrivedInThemAndShows) {
    Store& s = *this->store;
    const int64_t lastWeek = periods[3].from - 3600; // in this month and year all the same
    ASSERT_GE(lastWeek, periods[2].from);
    // This week's sum equals Anna's (2150): her faster level-3 time puts her first.
    const std::vector<Submission> bernd = {
        sent("Bernd_Bo", 1, 130, wednesday - 60, 5), sent("Bernd_Bo", 2, 480, wednesday - 50, 6),
        sent("Bernd_Bo", 3, 1540, wednesday - 40, 7), sent("Bernd_Bo", 2, 490, wednesday - 30, 8)};
    std::vector<Submission> shown = {
        sent("Anna_Alt", 1, 120, lastWeek, 1), sent("Anna_Alt", 1, 150, wednesday - 90, 2),
        sent("Anna_Alt", 2, 500, wednesday - 80, 3), sent("Anna_Alt", 3, 1500, wednesday - 70, 4),
        // No level 3: on the boards, in no sum.
        sent("Carl_Cu", 1, 110, wednesday - 20, 9), sent("Carl_Cu", 2, 480, wednesday - 10, 10),
        // Only last week.
        sent("Dora_Di", 1, 140, lastWeek - 10, 11), sent("Dora_Di", 2, 400, lastWeek - 5, 12),
        sent("Dora_Di", 3, 1600, lastWeek - 1, 13)};
    shown.insert(shown.end(), bernd.begin(), bernd.end());
    for (const Submission& e : shown) s.submit(e);
    s.submit(sent("Emil_Eil", 1, 50, wednesday, 14, true)); // held: nowhere
    Views& v = s.views();
    expectModel(v, shown, "as sent");
    const SumPage week = v.sumPage(periods[3], {0, 100}, waitFromNow());
    ASSERT_EQ(week.rows.size(), 2u);
    EXPECT_EQ(week.rows[0].name, "Anna_Alt");
    EXPECT_EQ(week.rows[1].total, 2150);

    // Barred, a name leaves every board and sum, search, its page; its entries stay.
    s.moderate(Moderation::ban, "Bernd_Bo", wednesday + 1);
    // Anna's faster time of last week goes: all time she has this week's.
    s.moderate(Moderation::remove, code(1), wednesday + 2);
    std::erase_if(shown,
                  [](const Submission& e) { return e.name == "Bernd_Bo" || e.code == code(1); });
    expectModel(v, shown, "after a bar and a removal");
    // Held back, Carl's level-1 time leaves the boards until it is approved again.
    s.moderate(Moderation::hold, code(9), wednesday + 2);
    const std::vector<Submission> withCarl = shown;
    std::erase_if(shown, [](const Submission& e) { return e.code == code(9); });
    expectModel(v, shown, "after a hold");
    s.moderate(Moderation::approve, code(9), wednesday + 2);
    shown = withCarl;
    EXPECT_TRUE(v.findNames("bernd", 10, waitFromNow()).empty());
    EXPECT_TRUE(v.playerEntries("Bernd_Bo", std::nullopt, 10, waitFromNow()).empty());
    EXPECT_TRUE(v.playerHistory("Bernd_Bo", waitFromNow()).empty());
    for (const Standing& st : v.standings("Bernd_Bo", periods, Period::all, 5, waitFromNow()))
        EXPECT_FALSE(st.best) << st.level;
    for (const PeriodStart& near : periods)
        for (const Standing& st : v.standings("Anna_Alt", periods, near.period, 5, waitFromNow()))
            for (const BoardRow& r : st.above) EXPECT_NE(r.name, "Bernd_Bo");

    // Lifted, it is back everywhere as before.
    s.moderate(Moderation::unban, "Bernd_Bo", wednesday + 3);
    shown.insert(shown.end(), bernd.begin(), bernd.end());
    expectModel(v, shown, "after the bar was lifted");
}

TYPED_TEST(StoreContract, PagesCutInsideEqualTimesOrSumsGiveThemOnePlaceAndLoseNoRow) {
    Store& s = *this->store;
    // Times across the edges of the counts' buckets (64).
    const int32_t times[] = {10, 20, 20, 20, 20, 63, 64, 64, 130};
    int n = 0;
    for (const int32_t t : times) {
        s.submit(sent("Name_" + std::to_string(n), 4, t, wednesday - 100 + n, n));
        ++n;
    }
    // Equal sums (300), told apart by the level-3 time, then the level-2 time.
    const std::tuple<const char*, int32_t, int32_t, int32_t> sums[] = {
        {"Sum_F", 50, 100, 100}, {"Sum_A", 100, 100, 100}, {"Sum_B", 90, 110, 100},
        {"Sum_C", 120, 90, 90},  {"Sum_D", 110, 100, 90},  {"Sum_E", 100, 100, 100}};
    for (const auto& [name, t1, t2, t3] : sums)
        for (const int32_t level : {1, 2, 3}) {
            const int32_t t = level == 1 ? t1 : level == 2 ? t2 : t3;
            s.submit(sent(name, level, t, wednesday - 50 + n, n));
            ++n;
        }
    Views& v = s.views();
    for (const PeriodStart& p : {periods[0], periods[3]}) {
        const BoardPage whole = v.boardPage(4, p, {0, 100}, waitFromNow());
        std::vector<int64_t> places;
        for (const BoardRow& r : whole.rows) places.push_back(r.place);
        EXPECT_EQ(places, (std::vector<int64_t>{1, 2, 2, 2, 2, 6, 7, 7, 9}));
        std::vector<BoardRow> paged;
        for (int64_t first = 0; first < 12; first += 3) {
            const BoardPage page = v.boardPage(4, p, {first, 3}, waitFromNow());
            EXPECT_EQ(page.ranked, 9);
            paged.insert(paged.end(), page.rows.begin(), page.rows.end());
        }
        EXPECT_EQ(lines(paged), lines(whole.rows));

        std::vector<std::pair<std::string, int64_t>> sumPlaces;
        for (int64_t first = 0; first < 8; first += 2)
            for (const SumRow& r : v.sumPage(p, {first, 2}, waitFromNow()).rows)
                sumPlaces.emplace_back(r.name, r.place);
        EXPECT_EQ(sumPlaces, (std::vector<std::pair<std::string, int64_t>>{{"Sum_F", 1},
                                                                           {"Sum_C", 2},
                                                                           {"Sum_D", 3},
                                                                           {"Sum_A", 4},
                                                                           {"Sum_E", 4},
                                                                           {"Sum_B", 6}}));
    }
    // A name's neighbours are numbered as the board numbers them.
    const std::vector<Standing> st =
        v.standings("Name_6", {periods[3]}, periods[3].period, 2, waitFromNow());
    ASSERT_EQ(st.size(), 5u);
    ASSERT_TRUE(st[3].best);
    EXPECT_EQ(st[3].best->place, 7);
    EXPECT_EQ(st[3].ranked, 9);
    EXPECT_EQ(lines(st[3].above), (std::vector<Line>{{2, "Name_4", 20, wednesday - 96},
                                                     {6, "Name_5", 63, wednesday - 95}}));
    EXPECT_EQ(lines(st[3].below), (std::vector<Line>{{7, "Name_7", 64, wednesday - 93},
                                                     {9, "Name_8", 130, wednesday - 92}}));
    const std::vector<SumStanding> sum = v.sumStandings("Sum_E", {periods[0]}, waitFromNow());
    ASSERT_TRUE(sum[0].row);
    EXPECT_EQ(sum[0].row->place, 4);
    EXPECT_EQ(sum[0].ranked, 6);

    // A player's page read at once: the same, the neighbours only in the page's period.
    const PlayerReads six =
        v.player("Name_6", periods, periods[3].period, 2, std::nullopt, 10, waitFromNow());
    ASSERT_EQ(six.standings.size(), 5 * periods.size());
    const Standing& week = six.standings[3 * 5 + 3];
    ASSERT_TRUE(week.best);
    EXPECT_EQ(week.best->place, 7);
    EXPECT_EQ(lines(week.above), lines(st[3].above));
    EXPECT_EQ(lines(week.below), lines(st[3].below));
    ASSERT_TRUE(six.standings[3].best); // all time, level 4
    EXPECT_TRUE(six.standings[3].above.empty() && six.standings[3].below.empty());
    const PlayerReads e =
        v.player("Sum_E", periods, Period::all, 2, std::nullopt, 2, waitFromNow());
    ASSERT_EQ(e.sums.size(), periods.size());
    ASSERT_TRUE(e.sums[0].row);
    EXPECT_EQ(e.sums[0].row->place, 4);
    const auto codes = [](const std::vector<EntryRow>& rows) {
        std::vector<std::string> c;
        for (const EntryRow& r : rows) c.push_back(r.code);
        return c;
    };
    EXPECT_EQ(codes(e.entries), codes(v.playerEntries("Sum_E", std::nullopt, 2, waitFromNow())));
    EXPECT_EQ(codes(e.history), codes(v.playerHistory("Sum_E", waitFromNow())));
    EXPECT_EQ(e.history.size(), 3u);
}

TYPED_TEST(StoreContract, RecordsAreTheEntriesFasterThanAllBeforeThemWhateverModerationDoes) {
    Store& s = *this->store;
    Views& v = s.views();
    s.submit(sent("Erst_Erna", 5, 500, wednesday + 1, 1));
    s.submit(sent("Zweit_Zoe", 5, 400, wednesday + 2, 2));
    s.submit(sent("Dritt_Dirk", 5, 450, wednesday + 3, 3));
    s.submit(sent("Viert_Vera", 5, 300, wednesday + 4, 4));
    s.submit(sent("Halt_Hans", 5, 200, wednesday + 2, 5, true)); // held, came between
    s.submit(sent("Erst_Erna", 4, 700, wednesday + 5, 6));
    using Chain = std::vector<std::tuple<std::string, int32_t, std::optional<int32_t>>>;
    const auto chain = [&](int32_t level) {
        Chain c;
        for (const RecordRow& r : v.records(level, 10, waitFromNow()))
            c.emplace_back(r.code, r.tenths, r.previousTenths);
        return c;
    };
    EXPECT_EQ(chain(5), (Chain{{code(4), 300, 400}, {code(2), 400, 500}, {code(1), 500, {}}}));
    EXPECT_EQ(v.records(0, 10, waitFromNow()).front().code, code(6)); // newest of all levels

    const VersionStamp before = v.versionStamp(waitFromNow());
    s.moderate(Moderation::remove, code(2), wednesday + 100);
    // Without 400, 450 beat everything before it.
    EXPECT_EQ(chain(5), (Chain{{code(4), 300, 450}, {code(3), 450, 500}, {code(1), 500, {}}}));
    const VersionStamp after = v.versionStamp(waitFromNow());
    EXPECT_GT(after.version, before.version);
    EXPECT_EQ(after.changedAt, wednesday + 100);

    // Approved, the held 200 came before 450 and 300: they are records no more.
    s.moderate(Moderation::approve, code(5), wednesday + 101);
    EXPECT_EQ(chain(5), (Chain{{code(5), 200, 500}, {code(1), 500, {}}}));
    s.moderate(Moderation::ban, "Halt_Hans", wednesday + 102);
    EXPECT_EQ(chain(5), (Chain{{code(4), 300, 450}, {code(3), 450, 500}, {code(1), 500, {}}}));
    s.moderate(Moderation::unban, "Halt_Hans", wednesday + 103);
    EXPECT_EQ(chain(5), (Chain{{code(5), 200, 500}, {code(1), 500, {}}}));
}

TYPED_TEST(StoreContract, APlayersEntriesHistoryAndNameAreFoundAsTheyShow) {
    Store& s = *this->store;
    Views& v = s.views();
    int n = 0;
    const auto add = [&](const std::string& name, int32_t level, int32_t tenths,
                         bool held = false) {
        s.submit(sent(name, level, tenths, wednesday + n, n, held));
        ++n;
    };
    for (const int32_t t : {900, 950, 800, 850, 700}) add("Such_Mich", 2, t);
    add("Such_Mich", 3, 2000);
    add("Such_Mich", 2, 10, true); // held
    for (const char* other : {"such_dich", "Suche_Alle", "Sucher", "SUCHER", "Anders_Wer"})
        add(other, 1, 100);

    std::vector<std::string> pages;
    std::optional<EntryCursor> after;
    for (int i = 0; i < 4; ++i) {
        const std::vector<EntryRow> page = v.playerEntries("Such_Mich", after, 4, waitFromNow());
        for (const EntryRow& e : page) pages.push_back(e.code);
        if (page.empty()) break;
        after = EntryCursor{page.back().receivedAt, page.back().code};
    }
    EXPECT_EQ(pages,
              (std::vector<std::string>{code(5), code(4), code(3), code(2), code(1), code(0)}));
    std::vector<int32_t> steps;
    for (const EntryRow& e : v.playerHistory("Such_Mich", waitFromNow())) steps.push_back(e.tenths);
    EXPECT_EQ(steps, (std::vector<int32_t>{900, 800, 700, 2000}));

    // Case does not count, but the name itself comes first.
    EXPECT_EQ(
        v.findNames("such", 10, waitFromNow()),
        (std::vector<std::string>{"such_dich", "Such_Mich", "Suche_Alle", "SUCHER", "Sucher"}));
    EXPECT_EQ(v.findNames("Sucher", 10, waitFromNow()),
              (std::vector<std::string>{"Sucher", "SUCHER"}));
    EXPECT_EQ(v.findNames("SUCH", 2, waitFromNow()),
              (std::vector<std::string>{"such_dich", "Such_Mich"}));
    EXPECT_TRUE(v.findNames("Such\xc3\xa4", 10, waitFromNow()).empty());
    const std::vector<TimeCount> spread = v.distribution(1, periods[0], waitFromNow());
    EXPECT_EQ(spread.size(), 1u);
    EXPECT_EQ(spread[0].names, 5);
}

TYPED_TEST(StoreContract, AnOlderLeagueGetsItsPeriodsSumsRecordsAndNamesFromItsEntries) {
    // Well inside this week, so that every entry below is of it.
    const int64_t clock = static_cast<int64_t>(std::time(nullptr));
    const int64_t now = std::max(clock, periodStartOf(Period::week, clock) + 200);
    int seed = 1;
    for (const char* name : {"Alt_Anton", "Alt_Berta"})
        for (int32_t level = 1; level <= 3; ++level, ++seed)
            this->store->submit(entry(name, level, 100 * level + seed, seed, now - 100));
    this->store->moderate(Moderation::ban, "Alt_Berta", now);
    this->store.reset();
    ASSERT_EQ(this->factory.makeOlder(), "");

    this->store = this->factory.open();
    Views& v = this->store->views();
    const PeriodStart week = currentPeriod(Period::week, now);
    const BoardPage board = v.boardPage(2, week, {0, 10}, waitFromNow());
    ASSERT_EQ(board.rows.size(), 1u); // the barred name stays out
    EXPECT_EQ(board.rows[0].name, "Alt_Anton");
    const SumPage sum = v.sumPage(week, {0, 10}, waitFromNow());
    ASSERT_EQ(sum.rows.size(), 1u);
    EXPECT_EQ(sum.rows[0].total, 101 + 202 + 303);
    EXPECT_EQ(v.sumPage({}, {0, 10}, waitFromNow()).ranked, 1);
    EXPECT_EQ(v.records(0, 10, waitFromNow()).size(), 3u);
    EXPECT_EQ(v.findNames("alt", 10, waitFromNow()), std::vector<std::string>{"Alt_Anton"});
    EXPECT_EQ(v.versionStamp(waitFromNow()).changedAt, now);
    EXPECT_EQ(namesAndTimes(this->store->board(2, 10)),
              (std::vector<std::pair<std::string, int32_t>>{{"Alt_Anton", 202}}));
    // Lifted, the barred name comes back as if it had been there all along.
    this->store->moderate(Moderation::unban, "Alt_Berta", now + 1);
    EXPECT_EQ(v.sumPage(week, {0, 10}, waitFromNow()).ranked, 2);
    EXPECT_EQ(v.records(0, 10, waitFromNow()).size(), 3u);
}

TEST(Periods, BeginAtLocalMidnightOnMondaysAndFirstsAlsoAcrossSummerTime) {
    const char* zone = std::getenv("TZ");
    const std::string before = zone ? zone : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    // Sunday 29 March 2026, 12:00 CEST: summer time began that night.
    const int64_t sunday = 1774778400;
    const int64_t monday = periodStartOf(Period::week, sunday);
    EXPECT_EQ(monday, 1774220400);                            // 23 March, 00:00 CET
    EXPECT_EQ(periodAfter(Period::week, monday), 1774821600); // 30 March, 00:00 CEST
    EXPECT_EQ(periodStartOf(Period::week, monday), monday);
    EXPECT_EQ(periodStartOf(Period::week, monday - 1), monday - 7 * 86400);
    EXPECT_EQ(periodStartOf(Period::month, sunday), 1772319600);   // 1 March, 00:00 CET
    EXPECT_EQ(periodAfter(Period::month, 1772319600), 1774994400); // 1 April, 00:00 CEST
    EXPECT_EQ(periodStartOf(Period::year, sunday), 1767222000);    // 1 January, 00:00 CET
    EXPECT_EQ(periodStartOf(Period::all, sunday), 0);
    if (zone)
        setenv("TZ", before.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TYPED_TEST(StoreContract, EveryProcessCountsAClientsSharedLimitAlike) {
    Store& first = *this->store;
    const std::unique_ptr<Store> second = this->factory.open();
    const auto from = [](const char* client, Submission e, int64_t nowMs) {
        e.limit = {client, 20, 2, nowMs};
        return e;
    };
    const int64_t t = 1700000000000;
    EXPECT_FALSE(first.submit(from("192.0.2.1", entry("Erster_Ede", 1, 90, 1), t)).limited);
    EXPECT_FALSE(second->submit(from("192.0.2.1", entry("Zweiter_Zeno", 1, 91, 2), t)).limited);
    const uint64_t version = first.version();
    const Placement refused = first.submit(from("192.0.2.1", entry("Dritter_Dirk", 1, 92, 3), t));
    EXPECT_TRUE(refused.limited);
    EXPECT_EQ(first.version(), version); // nothing stored
    EXPECT_TRUE(
        second->submit(from("192.0.2.1", entry("Dritter_Dirk", 1, 92, 3), t + 1000)).limited);
    EXPECT_FALSE(second->submit(from("192.0.2.2", entry("Dritter_Dirk", 1, 92, 3), t)).limited);
    // One more every 3 s. A sweep lets go of the buckets that have filled up again (they
    // count as full), and of no other.
    EXPECT_FALSE(
        first.submit(from("192.0.2.1", entry("Vierter_Vito", 1, 93, 4), t + 3000)).limited);
    Submission sweeping = from("192.0.2.9", entry("Fuenfter_Finn", 1, 94, 5), t + 4000);
    sweeping.limit.sweep = true;
    EXPECT_FALSE(second->submit(sweeping).limited);
    EXPECT_TRUE(
        first.submit(from("192.0.2.1", entry("Sechster_Sepp", 1, 95, 6), t + 4000)).limited);
    EXPECT_FALSE(
        second->submit(from("192.0.2.1", entry("Sechster_Sepp", 1, 95, 6), t + 64000)).limited);
    EXPECT_FALSE(
        second->submit(from("192.0.2.1", entry("Siebter_Sven", 1, 96, 7), t + 64000)).limited);
    EXPECT_TRUE(first.submit(from("192.0.2.1", entry("Achter_Arne", 1, 97, 8), t + 64000)).limited);
}

} // namespace
