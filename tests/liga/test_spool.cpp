// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The spool: codes the store could not take wait on the server's disk, bounded, and reach
// the league once it can store again, each once, also after a crash.
#include "league_process.h"
#include "league_samples.h"
#include "loopback.h"
#include "pg_database.h"
#include "postgres_store.h"
#include "spool.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sqlite3.h>
#include <thread>

namespace {

using namespace liga;
using namespace liga::samples;

const std::string spooled =
    "Ihre Zeit ist angekommen und wird eingetragen, sobald die Liga wieder speichern kann.";

std::string fileText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// The first line of the answer to one submission from 127.0.0.`source`, as the game sends
// it; empty when none came.
std::string submit(int port, const std::string& c, uint32_t source = 1) {
    const std::string a = loopbackSenden(port, "GET /rekord.php?code=" + c + " HTTP/1.0\r\n\r\n",
                                         15, 0x7F000000 | source);
    const std::size_t body = a.find("\r\n\r\n");
    if (body == std::string::npos) return {};
    return a.substr(body + 4, a.find("\r\n", body + 4) - body - 4);
}

TEST(Spool, KeepsCodesBoundedAcrossACrashAndEachProcessWritesAFileOfItsOwn) {
    TTestVerzeichnis folder;
    const std::string path = folder.datei("spool");
    const auto record = [](int n, const char* client) {
        return SpoolRecord{1700000000 + n, code("Wartend", 100 + n, 2, n), client};
    };
    std::string first;
    {
        Spool a(path, {5, 2});
        first = a.file();
        EXPECT_EQ(a.add(record(1, "192.0.2.1")), SpoolAnswer::kept);
        EXPECT_EQ(a.add(record(1, "192.0.2.1")), SpoolAnswer::keptBefore);
        EXPECT_EQ(a.add(record(2, "192.0.2.1")), SpoolAnswer::kept);
        EXPECT_EQ(a.add(record(3, "192.0.2.1")), SpoolAnswer::clientFull);
        for (int n = 4; n <= 6; ++n)
            EXPECT_EQ(a.add(record(n, n < 6 ? "192.0.2.9" : "192.0.2.6")), SpoolAnswer::kept);
        EXPECT_EQ(a.add(record(7, "192.0.2.7")), SpoolAnswer::full);
        EXPECT_EQ(a.waiting(), 5u);
        // A second server on the folder writes a file of its own.
        Spool b(path);
        EXPECT_NE(b.file(), first);
        EXPECT_EQ(b.add(record(8, "192.0.2.8")), SpoolAnswer::kept);
    }
    // A crash in the middle of a line: that line was never answered, and goes.
    std::ofstream(first, std::ios::app) << "W 1700000009 " << record(9, "x").code;
    Spool again(path, {5, 2});
    ASSERT_EQ(again.file(), first);
    EXPECT_EQ(again.waiting(), 5u);
    EXPECT_EQ(again.add(record(3, "192.0.2.1")), SpoolAnswer::full);
    EXPECT_EQ(fileText(first).back(), '\n');

    // Stored up to where the store gives out; what was taken is marked on disk.
    std::vector<SpoolRecord> stored;
    const auto storeUpTo = [&](std::size_t n) {
        return [&stored, n](const SpoolRecord& r) {
            if (stored.size() >= n) return false;
            stored.push_back(r);
            return true;
        };
    };
    EXPECT_EQ(again.drain(storeUpTo(2)), 2u);
    EXPECT_EQ(stored[0].arrivedAt, 1700000001);
    EXPECT_EQ(stored[1].code, record(2, "").code);
    EXPECT_EQ(again.waiting(), 3u);
    // The rest, and the file the second server left behind.
    EXPECT_EQ(again.drain(storeUpTo(100)), 4u);
    EXPECT_EQ(stored.back().code, record(8, "").code);
    EXPECT_EQ(again.waiting(), 0u);
    EXPECT_EQ(again.drain(storeUpTo(100)), 0u);
    for (const auto& f : std::filesystem::directory_iterator(path))
        EXPECT_EQ(std::filesystem::file_size(f.path()), 0u) << f.path();
}

TEST(SpoolOutage, ALockedFileSpoolsBoundedPerClientAndInAllThenEveryKeptCodeIsStored) {
    TTestVerzeichnis folder;
    const std::string db = folder.datei("liga.db");
    LeagueProcess server(db, {"--limit", "0", "--spool-size", "150"});
    ASSERT_NE(server.port, 0);
    // Another program holds the file's write lock for longer than a request waits.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    // Two addresses flood: each keeps at most 100, and all together 150.
    std::map<std::string, int> answers;
    for (int n = 0; n < 130; ++n)
        ++answers[submit(server.port, code("Flut_Erster", 300 + n, 3, n), 2)];
    for (int n = 0; n < 60; ++n)
        ++answers[submit(server.port, code("Flut_Zweite", 300 + n, 3, n), 3)];
    EXPECT_EQ(answers[spooled], 150);
    EXPECT_EQ(answers["Nicht eingetragen: Die Liga kann gerade nichts speichern, und von Ihrer "
                      "Adresse warten schon 100 Zeiten darauf."],
              30);
    EXPECT_EQ(answers["Nicht eingetragen: Die Liga kann gerade nichts speichern, und ihr "
                      "Zwischenspeicher ist voll."],
              10);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    SqliteStore league(db);
    EXPECT_TRUE(within(std::chrono::seconds(10), [&] {
        return league.entries({{}, {}, false, 0}).size() == 150u;
    }));
    // Each name's best is its fastest kept code, received when it came.
    const std::vector<BoardRow> board = league.board(3, 10);
    ASSERT_EQ(board.size(), 2u);
    EXPECT_EQ(board[0].tenths, 300);
    EXPECT_GT(board[0].receivedAt, 1700000000);
}

TEST(SpoolOutage, EveryAcknowledgedCodeIsOnTheBoardOnceAfterTheDatabaseAndACrash) {
    PgDatabase database;
    if (!database.missing.empty()) {
        if (PgDatabase::required()) FAIL() << database.missing;
        GTEST_SKIP() << database.missing;
    }
    TTestVerzeichnis folder;
    const std::string spool = folder.datei("spool");
    // Two servers of one league share a spool folder.
    auto a = std::make_unique<LeagueProcess>(
        database.conninfo, std::vector<std::string>{"--limit", "0", "--spool", spool});
    auto b = std::make_unique<LeagueProcess>(
        database.conninfo, std::vector<std::string>{"--limit", "0", "--spool", spool});
    ASSERT_NE(a->port, 0);
    ASSERT_NE(b->port, 0);
    const int ports[2] = {a->port, b->port};

    // Four clients, each from an address of its own, send a stream of codes to both.
    std::mutex mutex;
    std::set<std::string> acknowledged;
    int spooledCount = 0;
    std::atomic<bool> running = true;
    std::vector<std::thread> clients;
    for (uint32_t c = 0; c < 4; ++c)
        clients.emplace_back([&, c] {
            for (int n = 0; running; ++n) {
                const std::string name = "Strom" + std::to_string(c) + "_" + std::to_string(n);
                const std::string k = code(name.c_str(), 500 + n, 2, n);
                const std::string answer = submit(ports[n % 2], k, 10 + c);
                // A code sent twice counts once.
                if (n % 10 == 5) submit(ports[n % 2], k, 10 + c);
                std::lock_guard lock(mutex);
                if (answer.rfind("Platz ", 0) == 0 || answer == spooled) acknowledged.insert(k);
                spooledCount += answer == spooled;
                if (answer.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(PgDatabase::server("stop"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    // One server dies while codes wait in its file.
    kill(b->process(), SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(PgDatabase::server("start"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    running = false;
    for (std::thread& t : clients) t.join();
    b.reset();

    EXPECT_GT(spooledCount, 20);
    PostgresStore league(database.conninfo, 1);
    std::set<std::string> missing;
    EXPECT_TRUE(within(std::chrono::seconds(15),
                       [&] {
                           missing = acknowledged;
                           for (const EntryRow& e : league.entries({{}, {}, false, 0}))
                               missing.erase(e.code);
                           return missing.empty();
                       }))
        << missing.size() << " of " << acknowledged.size() << " acknowledged codes are missing";
    // Each name once, with its one time.
    std::set<std::string> names;
    for (const BoardRow& r : league.board(2, 100000)) EXPECT_TRUE(names.insert(r.name).second);
    EXPECT_GE(names.size(), acknowledged.size());
    // Nothing waits any more.
    EXPECT_TRUE(within(std::chrono::seconds(5), [&] {
        for (const auto& f : std::filesystem::directory_iterator(spool))
            if (std::filesystem::file_size(f.path()) != 0) return false;
        return true;
    }));
}

} // namespace
