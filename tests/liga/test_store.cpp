// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What every league store promises, asked of each store through the same cases.
#include "ranking.h"
#include "store_factories.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <thread>

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
