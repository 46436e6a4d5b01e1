// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's SQLite file: deleted or replaced under the server, its log, old versions.
#include "handler.h"
#include "league_samples.h"
#include "rate_limit.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"
#include "views.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

namespace {

using namespace liga;
using namespace liga::samples;

TEST(SqliteFile, DeletedOrReplacedUnderTheServerItStoresNothingMoreAndSaysSoOnce) {
    for (const bool replace : {false, true}) {
        TTestVerzeichnis folder;
        const std::string path = folder.datei("liga.db");
        SqliteStore store(path);
        RateLimiter limiter(0);
        League league(store, limiter);
        EXPECT_EQ(firstLine(league.handle(request(code("Erika_Muster", 870, 1)))).rfind("Platz", 0),
                  0u);
        testing::internal::CaptureStderr();
        if (replace) {
            { SqliteStore others(folder.datei("andere.db")); }
            std::filesystem::copy_file(folder.datei("andere.db"), path,
                                       std::filesystem::copy_options::overwrite_existing);
        } else {
            std::filesystem::remove(path);
        }
        int seed = 10;
        EXPECT_TRUE(within(std::chrono::seconds(3), [&] {
            return firstLine(league.handle(request(code("Erika_Muster", 800, 1, ++seed)))) ==
                   "Nicht eingetragen: Die Liga kann gerade nichts speichern.";
        })) << replace;
        for (int i = 0; i < 5; ++i)
            EXPECT_NE(firstLine(league.handle(request(code("Erika_Muster", 700 + i, 1, ++seed))))
                          .rfind("Platz", 0),
                      0u);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(replace ? "was replaced" : "was deleted"), std::string::npos)
            << errors;
    }
}

TEST(SqliteFile, TheLogShrinksOnceALongReaderLetsGo) {
    TTestVerzeichnis folder;
    SqliteStore store(folder.datei("liga.db"));
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(folder.datei("liga.db").c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM entries;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    const auto size = [&] {
        std::error_code e;
        const auto n = std::filesystem::file_size(folder.datei("liga.db-wal"), e);
        return e ? 0 : n;
    };
    for (int i = 0; size() < (6u << 20) && i < 5000; ++i)
        store.submit(entry("Name" + std::to_string(100000 + i), 1 + i % 5, 100 + i, i));
    ASSERT_GE(size(), 6u << 20);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_GE(size(), 6u << 20); // the reader still needs it
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    EXPECT_TRUE(within(std::chrono::seconds(5), [&] { return size() < (1u << 20); })) << size();
}

TEST(SqliteFile, AQuietServersFileHoldsEveryEntryWithoutItsLog) {
    TTestVerzeichnis folder;
    SqliteStore store(folder.datei("liga.db"));
    for (int i = 0; i < 3; ++i) store.submit(entry("Ruhig_" + std::to_string(i), 1, 100 + i, i));
    // Copied back while the server idles, so that a stop has nothing left to flush.
    const auto entriesInFileAlone = [&] {
        std::filesystem::copy_file(folder.datei("liga.db"), folder.datei("kopie.db"),
                                   std::filesystem::copy_options::overwrite_existing);
        sqlite3* copy = nullptr;
        int64_t n = -1;
        if (sqlite3_open(folder.datei("kopie.db").c_str(), &copy) == SQLITE_OK)
            sqlite3_exec(
                copy, "SELECT count(*) FROM entries",
                [](void* out, int, char** v, char**) {
                    *static_cast<int64_t*>(out) = std::atoll(v[0]);
                    return 0;
                },
                &n, nullptr);
        sqlite3_close(copy);
        return n;
    };
    EXPECT_TRUE(within(std::chrono::seconds(5), [&] { return entriesInFileAlone() == 3; }));
}

TEST(SqliteFile, CountsTheTimesOfAFileFromTheFirstServerVersion) {
    TTestVerzeichnis folder;
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(folder.datei("liga.db").c_str(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old, R"(
        CREATE TABLE entries (id INTEGER PRIMARY KEY, code TEXT NOT NULL UNIQUE, name TEXT NOT NULL,
            level INTEGER NOT NULL, tenths INTEGER NOT NULL, received_at INTEGER NOT NULL);
        CREATE TABLE best (level INTEGER NOT NULL, name TEXT NOT NULL, tenths INTEGER NOT NULL,
            received_at INTEGER NOT NULL, PRIMARY KEY (level, name)) WITHOUT ROWID;
        INSERT INTO best VALUES (3, 'Alt_Anton', 50, 1), (3, 'Alt_Berta', 50, 2), (3, 'Alt_Carl', 90, 3);
    )",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);
    SqliteStore store(folder.datei("liga.db"));
    const Placement p = store.submit(entry("Neu_Nele", 3, 60, 1));
    EXPECT_EQ(p.place, 3);
    EXPECT_EQ(p.ranked, 4);
}

TEST(SqliteFile, AFileOfVersionFourGetsItsPeriodsSumsRecordsAndNamesFromItsEntries) {
    TTestVerzeichnis folder;
    // Well inside this week, so that every entry below is of it.
    const int64_t clock = static_cast<int64_t>(std::time(nullptr));
    const int64_t now = std::max(clock, periodStartOf(Period::week, clock) + 200);
    {
        SqliteStore store(folder.datei("liga.db"));
        int seed = 1;
        for (const char* name : {"Alt_Anton", "Alt_Berta"})
            for (int32_t level = 1; level <= 3; ++level) {
                Submission e = entry(name, level, 100 * level + seed, seed);
                e.receivedAt = now - 100 + seed++;
                store.submit(e);
            }
        store.moderate(Moderation::ban, "Alt_Berta", now);
    }
    // What version 4 had: none of the tables beside `best`, no time of the last change.
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(folder.datei("liga.db").c_str(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old, R"(
        DROP TABLE period_best; DROP TABLE sum_best; DROP TABLE ranking_counts;
        DROP TABLE ranking_buckets; DROP TABLE records; DROP TABLE names;
        ALTER TABLE changes DROP COLUMN at; PRAGMA user_version = 4;
    )",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);

    SqliteStore store(folder.datei("liga.db"));
    Views& v = store.views();
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
    // Lifted, the barred name comes back as if it had been there all along.
    store.moderate(Moderation::unban, "Alt_Berta", now + 1);
    EXPECT_EQ(v.sumPage(week, {0, 10}, waitFromNow()).ranked, 2);
    EXPECT_EQ(v.records(0, 10, waitFromNow()).size(), 3u);
}

} // namespace
