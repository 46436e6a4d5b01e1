// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What every league store promises, asked of each store through the same cases.
#include "ranking.h"
#include "speicherfabrik.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <thread>

namespace {

using namespace liga;

// A code of its own for every number: the store takes codes as they come.
std::string code(int n) {
    char text[65];
    std::snprintf(text, sizeof text, "%064X", static_cast<unsigned>(n));
    return text;
}

Submission eintrag(const std::string& name, int32_t stufe, int32_t zehntel, int n,
                   int64_t empfangen = 1700000000) {
    return {name, stufe, zehntel, empfangen + n, code(n)};
}

std::vector<std::pair<std::string, int32_t>> namenUndZeiten(const std::vector<BoardRow>& rows) {
    std::vector<std::pair<std::string, int32_t>> r;
    for (const BoardRow& row : rows) r.emplace_back(row.name, row.tenths);
    return r;
}

template <class Fabrik> class Speicher : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string warum = fabrik.fehlt(); !warum.empty()) {
            if (Fabrik::pflicht()) FAIL() << warum;
            GTEST_SKIP() << warum;
        }
        store = fabrik.oeffnen();
    }
    Fabrik fabrik;
    std::unique_ptr<Store> store;
};

TYPED_TEST_SUITE(Speicher, Speicherfabriken, Speicherfabrikname);

TYPED_TEST(Speicher, EqualTimesShareAPlaceAndTheNextTimeTakesThePlaceAfterThem) {
    Store& s = *this->store;
    EXPECT_EQ(s.submit(eintrag("Mitte_Anna", 2, 70, 1)).place, 1);
    const Placement schneller = s.submit(eintrag("Flink_Bernd", 2, 50, 2));
    EXPECT_EQ(schneller.place, 1);
    EXPECT_EQ(schneller.ranked, 2);
    const Placement gleich = s.submit(eintrag("Gleich_Clara", 2, 50, 3));
    EXPECT_EQ(gleich.place, 1);
    EXPECT_EQ(gleich.ranked, 3);
    const Placement danach = s.submit(eintrag("Danach_Dora", 2, 60, 4));
    EXPECT_EQ(danach.place, 3);
    EXPECT_EQ(danach.ranked, 4);
    EXPECT_EQ(s.submit(eintrag("Langsam_Emil", 2, 999, 5)).place, 5);
    // Another level ranks on its own, also across the edges of the counts' buckets.
    EXPECT_EQ(s.submit(eintrag("Anderswo_Fritz", 3, 128, 6)).ranked, 1);
    EXPECT_EQ(s.submit(eintrag("Anderswo_Gerd", 3, 64, 7)).place, 1);
    EXPECT_EQ(s.submit(eintrag("Anderswo_Hans", 3, 63, 8)).place, 1);
    EXPECT_EQ(s.submit(eintrag("Anderswo_Ines", 3, 64, 9)).place, 2);
    EXPECT_EQ(s.submit(eintrag("Anderswo_Jan", 3, 127, 10)).place, 4);
    const Placement kante = s.submit(eintrag("Anderswo_Kai", 3, 128, 11));
    EXPECT_EQ(kante.place, 5);
    EXPECT_EQ(kante.ranked, 6);
    EXPECT_EQ(s.submit(eintrag("Anderswo_Lea", 3, 129, 12)).place, 7);

    const std::vector<BoardRow> liste = s.board(2, 100);
    std::vector<int64_t> plaetze;
    for (const BoardRow& r : liste) plaetze.push_back(r.place);
    EXPECT_EQ(plaetze, (std::vector<int64_t>{1, 1, 3, 4, 5}));
    // Equal times by when they came.
    EXPECT_EQ(liste[0].name, "Flink_Bernd");
    EXPECT_EQ(liste[1].name, "Gleich_Clara");
    EXPECT_EQ(liste[1].receivedAt, 1700000003);
}

TYPED_TEST(Speicher, ANamesBestReplacesAWorseOneAndASlowerTimeChangesNoBoard) {
    Store& s = *this->store;
    s.submit(eintrag("Vorne_Vera", 1, 40, 1));
    s.submit(eintrag("Eifrig_Egon", 1, 90, 2));
    // Slower than his best: placed among the others' best times, the board keeps 9,0.
    const Placement langsamer = s.submit(eintrag("Eifrig_Egon", 1, 120, 3));
    EXPECT_FALSE(langsamer.alreadyReceived);
    EXPECT_EQ(langsamer.place, 2);
    EXPECT_EQ(langsamer.ranked, 2);
    EXPECT_EQ(namenUndZeiten(s.board(1, 100)), (std::vector<std::pair<std::string, int32_t>>{
                                                   {"Vorne_Vera", 40}, {"Eifrig_Egon", 90}}));
    // Faster than everyone: his one row moves to the top with the new time and date.
    const Placement besser = s.submit(eintrag("Eifrig_Egon", 1, 30, 4));
    EXPECT_EQ(besser.place, 1);
    EXPECT_EQ(besser.ranked, 2);
    const std::vector<BoardRow> liste = s.board(1, 100);
    ASSERT_EQ(liste.size(), 2u);
    EXPECT_EQ(liste[0].name, "Eifrig_Egon");
    EXPECT_EQ(liste[0].tenths, 30);
    EXPECT_EQ(liste[0].receivedAt, 1700000004);
    // The count of his old time went with it: a time between ranks behind Vera alone.
    EXPECT_EQ(s.submit(eintrag("Zwischen_Zora", 1, 60, 5)).place, 3);
    EXPECT_EQ(s.submit(eintrag("Zwischen_Zack", 1, 100, 6)).place, 4);
}

TYPED_TEST(Speicher, ACodeCountsOnceAlsoThroughAnotherConnectionAndVersionFollowsChanges) {
    Store& s = *this->store;
    const uint64_t leer = s.version();
    const Submission e = eintrag("Beharrlich", 5, 500, 1);
    EXPECT_FALSE(s.submit(e).alreadyReceived);
    const uint64_t eins = s.version();
    EXPECT_NE(eins, leer);
    s.submit(eintrag("Schneller_Sam", 5, 400, 2));
    s.submit(eintrag("Beharrlich", 5, 300, 3));

    // A second store on the same database, as another server process or a restart has it.
    std::unique_ptr<Store> zweiter = this->fabrik.oeffnen();
    const uint64_t stand = zweiter->version();
    EXPECT_EQ(stand, s.version());
    // The same code again, even with another date: nothing added, placed by what was
    // stored with it (5,0 s, now behind Sam and the name's own better time).
    Submission wieder = e;
    wieder.receivedAt += 1000;
    const Placement p = zweiter->submit(wieder);
    EXPECT_TRUE(p.alreadyReceived);
    EXPECT_EQ(p.place, 2);
    EXPECT_EQ(p.ranked, 2);
    EXPECT_EQ(s.version(), stand);
    EXPECT_EQ(zweiter->board(5, 100).size(), 2u);

    zweiter->submit(eintrag("Neu_Nora", 5, 200, 4));
    EXPECT_GT(s.version(), stand); // seen by the first store, not only by its writer
    EXPECT_EQ(s.board(5, 100)[0].name, "Neu_Nora");
}

TYPED_TEST(Speicher, BoardsStopAtTheirLimitAndAnEmptyLevelHasNone) {
    Store& s = *this->store;
    for (int i = 0; i < 12; ++i)
        s.submit(eintrag("Name_" + std::to_string(100 + i), 4, 100 + i / 3, i));
    EXPECT_TRUE(s.board(3, 100).empty());
    EXPECT_TRUE(s.board(4, 0).empty());
    const std::vector<BoardRow> fuenf = s.board(4, 5);
    ASSERT_EQ(fuenf.size(), 5u);
    // Cut inside a run of equal times, the rows keep the run's place.
    EXPECT_EQ(fuenf[3].place, 4);
    EXPECT_EQ(fuenf[4].place, 4);
    EXPECT_EQ(s.board(4, 100).size(), 12u);
    EXPECT_EQ(s.board(4, 100).back().place, 10);
}

TYPED_TEST(Speicher, EightThreadsAtOnceLeaveTheBoardsAModelPredicts) {
    // 8 threads send 1,600 entries of 40 names on two levels; a quarter of them are codes
    // another thread sends too.
    constexpr int threads = 8, each = 200;
    struct Sent {
        Submission e;
        int sender;
    };
    std::vector<Sent> alle;
    for (int t = 0; t < threads; ++t)
        for (int i = 0; i < each; ++i) {
            const int n = t * each + i;
            const bool doppelt = i % 4 == 0 && t > 0;
            const int nummer = doppelt ? n - each : n; // the code of the thread before
            const std::string name = "Spieler_" + std::to_string(nummer % 40);
            // Each name's times differ, so its best is one entry; other names share them.
            const int32_t zeit = 20 + (nummer / 40) * 7919 % 41 * 5;
            alle.push_back({eintrag(name, 1 + nummer % 2, zeit, nummer), t});
        }
    std::vector<std::vector<std::pair<Submission, Placement>>> antworten(threads);
    std::vector<std::thread> laeufer;
    std::atomic<int> fehler = 0;
    for (int t = 0; t < threads; ++t)
        laeufer.emplace_back([&, t] {
            for (const Sent& s : alle)
                if (s.sender == t) try {
                        antworten[t].emplace_back(
                            s.e, this->store->submit(s.e, waitFromNow(std::chrono::seconds(30))));
                    } catch (const std::exception& e) {
                        ++fehler;
                        ADD_FAILURE() << e.what();
                    }
        });
    for (std::thread& l : laeufer) l.join();
    ASSERT_EQ(fehler, 0);

    // Every code once: one thread was first, the other was told so.
    std::map<std::string, int> erste;
    for (const auto& a : antworten)
        for (const auto& [e, p] : a) erste[e.code] += p.alreadyReceived ? 0 : 1;
    for (const auto& [c, n] : erste) EXPECT_EQ(n, 1) << c;

    // The model: each name's fastest time, equal times by arrival; places by faster names.
    for (int32_t stufe = 1; stufe <= 2; ++stufe) {
        std::map<std::string, Submission> beste;
        for (const Sent& s : alle) {
            if (s.e.level != stufe) continue;
            auto [it, neu] = beste.emplace(s.e.name, s.e);
            if (!neu && s.e.tenths < it->second.tenths) it->second = s.e;
        }
        std::vector<Submission> erwartet;
        for (const auto& [n, e] : beste) erwartet.push_back(e);
        std::sort(erwartet.begin(), erwartet.end(), [](const Submission& a, const Submission& b) {
            return std::tie(a.tenths, a.receivedAt, a.name) <
                   std::tie(b.tenths, b.receivedAt, b.name);
        });
        const std::vector<BoardRow> liste = this->store->board(stufe, 100);
        ASSERT_EQ(liste.size(), erwartet.size());
        for (std::size_t i = 0; i < liste.size(); ++i) {
            EXPECT_EQ(liste[i].name, erwartet[i].name);
            EXPECT_EQ(liste[i].tenths, erwartet[i].tenths);
            const auto schneller =
                std::count_if(erwartet.begin(), erwartet.end(),
                              [&](const Submission& e) { return e.tenths < erwartet[i].tenths; });
            EXPECT_EQ(liste[i].place, schneller + 1);
        }
        // A new name now is placed behind exactly the names the model has faster.
        const Placement p = this->store->submit(eintrag("Nachzuegler", stufe, 150, 100000 + stufe));
        const auto schneller = std::count_if(erwartet.begin(), erwartet.end(),
                                             [](const Submission& e) { return e.tenths < 150; });
        EXPECT_EQ(p.place, schneller + 1);
        EXPECT_EQ(p.ranked, static_cast<int64_t>(erwartet.size()) + 1);
    }
}

TYPED_TEST(Speicher, ModerationKeepsEachNamesBestItsFastestRankedEntryAndThePlacesCounted) {
    Store& s = *this->store;
    s.submit(eintrag("Anton_Alt", 1, 50, 1));
    s.submit(eintrag("Anton_Alt", 1, 40, 2));
    s.submit(eintrag("Berta_Bald", 1, 45, 3));
    Submission schnell = eintrag("Carl_Kurz", 1, 5, 4);
    schnell.held = true;
    const Placement gehalten = s.submit(schnell);
    EXPECT_EQ(gehalten.state, EntryState::held);
    using Liste = std::vector<std::pair<std::string, int32_t>>;
    EXPECT_EQ(namenUndZeiten(s.board(1, 100)), (Liste{{"Anton_Alt", 40}, {"Berta_Bald", 45}}));

    // Anton's best goes: his slower entry takes its place, and its count went too.
    uint64_t stand = s.version();
    EXPECT_EQ(s.moderate(Moderation::remove, code(2), 1), ModerationResult::done);
    EXPECT_GT(s.version(), stand);
    EXPECT_EQ(namenUndZeiten(s.board(1, 100)), (Liste{{"Berta_Bald", 45}, {"Anton_Alt", 50}}));
    EXPECT_EQ(s.submit(eintrag("Dora_Dazu", 1, 42, 5)).place, 1);

    // Barred: off the board and out of the counts, nothing new stored; lifted, back.
    EXPECT_EQ(s.moderate(Moderation::ban, "Anton_Alt", 2), ModerationResult::done);
    EXPECT_EQ(s.moderate(Moderation::ban, "Anton_Alt", 2), ModerationResult::unchanged);
    EXPECT_EQ(namenUndZeiten(s.board(1, 100)), (Liste{{"Dora_Dazu", 42}, {"Berta_Bald", 45}}));
    const Placement gesperrt = s.submit(eintrag("Anton_Alt", 1, 30, 6));
    EXPECT_TRUE(gesperrt.barred);
    const Placement p = s.submit(eintrag("Emil_Eilig", 1, 60, 7));
    EXPECT_EQ(p.place, 3);
    EXPECT_EQ(p.ranked, 3);
    EXPECT_EQ(s.moderate(Moderation::approve, code(6), 3), ModerationResult::noSuchEntry);
    EXPECT_EQ(s.moderate(Moderation::unban, "Anton_Alt", 4), ModerationResult::done);
    EXPECT_EQ(s.submit(eintrag("Fritz_Fix", 1, 55, 8)).place, 4);

    // Approved, the held time leads; a rejected one stays off, also when sent again.
    EXPECT_EQ(s.moderate(Moderation::approve, code(4), 5), ModerationResult::done);
    EXPECT_EQ(s.moderate(Moderation::reject, code(4), 5), ModerationResult::notHeld);
    Submission zweiter = eintrag("Gerd_Gauner", 1, 3, 9);
    zweiter.held = true;
    s.submit(zweiter);
    EXPECT_EQ(s.moderate(Moderation::reject, code(9), 6), ModerationResult::done);
    const Placement wieder = s.submit(zweiter);
    EXPECT_TRUE(wieder.alreadyReceived);
    EXPECT_EQ(wieder.state, EntryState::rejected);
    stand = s.version();
    std::unique_ptr<Store> anderer = this->fabrik.oeffnen();
    EXPECT_EQ(anderer->version(), stand);
    EXPECT_EQ(namenUndZeiten(anderer->board(1, 100)), (Liste{{"Carl_Kurz", 5},
                                                             {"Dora_Dazu", 42},
                                                             {"Berta_Bald", 45},
                                                             {"Anton_Alt", 50},
                                                             {"Fritz_Fix", 55},
                                                             {"Emil_Eilig", 60}}));
    EXPECT_EQ(anderer->board(1, 100)[3].place, 4);

    // Every change logged once, in order, for every process to read.
    const std::vector<LoggedChange> log = anderer->changesSince(0);
    ASSERT_EQ(log.size(), 5u); // what changed nothing is not logged
    EXPECT_EQ(log[0].what, Moderation::remove);
    EXPECT_EQ(log[0].subject, code(2));
    EXPECT_EQ(log[1].what, Moderation::ban);
    EXPECT_EQ(log[1].subject, "Anton_Alt");
    EXPECT_EQ(log[4].what, Moderation::reject);
    EXPECT_EQ(log[4].at, 6);
    EXPECT_EQ(anderer->changesSince(log[3].id).size(), 1u);
}

TYPED_TEST(Speicher, EntriesAreListedNewestFirstByLevelNameOrHeld) {
    Store& s = *this->store;
    for (int i = 0; i < 6; ++i) {
        Submission e = eintrag(i % 2 ? "Ungerade_Uli" : "Gerade_Gabi", 1 + i % 3, 100 + i, i);
        e.held = i == 4;
        s.submit(e);
    }
    s.moderate(Moderation::ban, "Ungerade_Uli", 1);
    const std::vector<EntryRow> alle = s.entries({});
    ASSERT_EQ(alle.size(), 6u);
    EXPECT_EQ(alle[0].code, code(5));
    EXPECT_EQ(alle[0].receivedAt, 1700000005);
    EXPECT_TRUE(alle[0].barred);
    EXPECT_FALSE(alle[1].barred);
    EXPECT_EQ(alle[1].state, EntryState::held);
    EXPECT_EQ(alle[1].tenths, 104);
    EXPECT_EQ(alle[1].level, 2);
    EXPECT_EQ(alle[5].code, code(0));
    const auto frage = [](std::optional<int32_t> stufe, std::optional<std::string> name,
                          bool gehalten, int64_t hoechstens) {
        return EntryQuery{stufe, std::move(name), gehalten, hoechstens};
    };
    EXPECT_EQ(s.entries(frage({}, {}, false, 2)).size(), 2u);
    EXPECT_EQ(s.entries(frage(1, {}, false, 100)).size(), 2u);
    EXPECT_EQ(s.entries(frage({}, "Gerade_Gabi", false, 0)).size(), 3u);
    const std::vector<EntryRow> gehalten = s.entries(frage({}, {}, true, 100));
    ASSERT_EQ(gehalten.size(), 1u);
    EXPECT_EQ(gehalten[0].code, code(4));
    const std::vector<EntryRow> beides = s.entries(frage(2, "Gerade_Gabi", false, 100));
    ASSERT_EQ(beides.size(), 1u);
    EXPECT_EQ(beides[0].code, code(4));
}

} // namespace
