// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The league's SQLite file: many processes on it, deleted or replaced under the server, its
// log, old versions.
#include "file_mark.h"
#include "handler.h"
#include "league_process.h"
#include "league_samples.h"
#include "loopback.h"
#include "rate_limit.h"
#include "spool.h"
#include "spool_drain.h"
#include "sqlite_batches.h"
#include "sqlite_checkpointer.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"
#include "views.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sqlite3.h>
#include <thread>
#include <vector>

namespace {

using namespace liga;
using namespace liga::samples;

std::string integrity(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return result;
}

std::set<std::string> codesIn(const std::string& path) {
    SqliteStore store(path);
    std::set<std::string> codes;
    for (const EntryRow& e : store.entries({{}, {}, false, 0})) codes.insert(e.code);
    return codes;
}

TEST(SqliteFile, ServersAndOperatorCommandsOnOneFileStoreEverythingAndRaiseNoAlarm) {
    TTestVerzeichnis folder;
    const std::string path = folder.datei("liga.db");
    std::mutex mutex;
    std::vector<std::string> placed, refused;
    std::vector<LeagueCommandResult> commands;
    {
        LeagueProcess a(path, {"--limit", "0"}, folder.datei("a.log"));
        LeagueProcess b(path, {"--limit", "0"}, folder.datei("b.log"));
        ASSERT_NE(a.port, 0);
        ASSERT_NE(b.port, 0);
        // Four clients, three of them to the first server, many checkpoints' worth; the
        // operator removes and lists meanwhile.
        std::vector<std::thread> clients;
        for (int t = 0; t < 4; ++t)
            clients.emplace_back([&, t] {
                for (int n = t; n < 1600; n += 4) {
                    const std::string c = code("Viele_Hande", 700 + n % 2000, 1 + n % 5, n);
                    const std::string answer =
                        loopbackGet(t == 3 ? b.port : a.port, "/rekord.php?code=" + c);
                    std::lock_guard lock(mutex);
                    (answer.find("\r\n\r\nPlatz ") != std::string::npos ? placed : refused)
                        .push_back(c);
                }
            });
        std::vector<std::string> remove = {"remove", "--db", path};
        while (remove.size() < 103) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::lock_guard lock(mutex);
            for (std::size_t i = remove.size() - 3; i < placed.size() && remove.size() < 103; ++i)
                remove.push_back(placed[i]);
        }
        commands.push_back(runLeagueCommand(remove));
        for (int i = 0; i < 2; ++i)
            commands.push_back(runLeagueCommand({"entries", "--db", path, "--all"}));
        for (std::thread& c : clients) c.join();
    }
    EXPECT_TRUE(refused.empty()) << refused.size();
    for (const LeagueCommandResult& c : commands) {
        EXPECT_EQ(c.status, 0);
        EXPECT_EQ(c.output.find("league file"), std::string::npos) << c.output;
    }
    for (const char* log : {"a.log", "b.log"}) {
        const std::vector<uint8_t> bytes = bytesLesen(folder.datei(log));
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_EQ(text.find("league file"), std::string::npos) << text.substr(0, 300);
    }
    EXPECT_EQ(integrity(path), "ok");
    const std::set<std::string> stored = codesIn(path);
    for (std::size_t i = 0; i < placed.size(); ++i)
        EXPECT_EQ(stored.count(placed[i]), i < 100 ? 0u : 1u) << i;
}

// The file deleted, another league's renamed over it or copied over it, or a backup of the
// league from a moment before copied over it, while two clients submit flat out: what is
// answered after it waits in the spool, and a restart stores it in the file on the path.
TEST(SqliteFile, AFileDeletedOrReplacedIsNoticedBeforeTheNextAnswerAndLeftAsItIsThere) {
    for (const std::string how : {"deleted", "renamed", "copied", "older"}) {
        SCOPED_TRACE(how);
        TTestVerzeichnis folder;
        const std::string path = folder.datei("liga.db");
        const std::string other = folder.datei("andere.db");
        {
            SqliteStore store(other);
            for (int i = 0; i < 5; ++i)
                store.submit(entry("Andere_" + std::to_string(i), 1, 100 + i, 9000 + i));
        }
        std::vector<uint8_t> otherBytes = bytesLesen(other);
        std::atomic<bool> done = false, stop = false;
        std::atomic<int> sentAfter = 0, placedAfter = 0, spooledAfter = 0;
        std::mutex mutex;
        std::vector<std::string> spooled;
        const std::string spoolFolder = folder.datei("spool");
        testing::internal::CaptureStderr();
        {
            SqliteStore store(path);
            RateLimiter limiter(0);
            Spool spool(spoolFolder, {1000000, 1000000});
            SpoolDrain drain(store, spool, defaultReviewBounds(), std::cerr,
                             std::chrono::milliseconds(50));
            League league(store, limiter, {}, &spool);
            std::vector<std::thread> clients;
            for (int t = 0; t < 2; ++t)
                clients.emplace_back([&, t] {
                    for (int n = t; !stop; n += 2) {
                        const bool after = done;
                        const std::string c = code("Flink_Fritz", 700 + n % 2000, 1 + n % 5, n);
                        const std::string answer = firstLine(league.handle(request(c)));
                        if (answer.rfind("Ihre Zeit ist angekommen", 0) == 0) {
                            std::lock_guard lock(mutex);
                            spooled.push_back(c);
                        }
                        if (!after) continue;
                        ++sentAfter;
                        placedAfter += answer.rfind("Platz", 0) == 0;
                        spooledAfter += answer.rfind("Ihre Zeit ist angekommen", 0) == 0;
                    }
                });
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            if (how == "older") {
                sqlite3 *from = nullptr, *to = nullptr;
                sqlite3_open_v2(path.c_str(), &from, SQLITE_OPEN_READONLY, nullptr);
                sqlite3_open(other.c_str(), &to);
                sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
                sqlite3_backup_step(backup, -1);
                sqlite3_backup_finish(backup);
                sqlite3_close(to);
                sqlite3_close(from);
                otherBytes = bytesLesen(other);
                // The copy tells itself apart from the file once a checkpoint has given
                // the file a newer mark; until then they are alike.
                const auto mark = [](const std::vector<uint8_t>& b) {
                    return b.size() < 100 ? 0 : markOfHeader(b.data());
                };
                EXPECT_TRUE(within(std::chrono::seconds(10),
                                   [&] { return mark(bytesLesen(path)) != mark(otherBytes); }));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            if (how == "deleted")
                std::filesystem::remove(path);
            else if (how == "renamed")
                std::filesystem::rename(other, path);
            else
                std::filesystem::copy_file(other, path,
                                           std::filesystem::copy_options::overwrite_existing);
            done = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            stop = true;
            for (std::thread& c : clients) c.join();
        }
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_GT(sentAfter, 0);
        EXPECT_EQ(placedAfter, 0);
        EXPECT_EQ(spooledAfter, sentAfter);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(how == "deleted"   ? "was deleted"
                              : how == "renamed" ? "was replaced by another file"
                                                 : "was overwritten"),
                  std::string::npos)
            << errors;
        // Written into by nobody, and the server's log and index gone from beside it.
        EXPECT_TRUE(how == "deleted" || bytesLesen(path) == otherBytes);
        EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
        EXPECT_FALSE(std::filesystem::exists(path + "-shm"));
        // A restart serves what is there.
        {
            SqliteStore again(path);
            const Placement p = again.submit(entry("Neu_Nele", 1, 50, 1));
            EXPECT_EQ(p.place, 1);
            if (how != "older") {
                EXPECT_EQ(p.ranked, how == "deleted" ? 1 : 6);
            }
            Spool spool(spoolFolder);
            SpoolDrain drain(again, spool, defaultReviewBounds(), std::cerr,
                             std::chrono::milliseconds(50));
            EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return spool.waiting() == 0; }));
        }
        EXPECT_EQ(integrity(path), "ok");
        const std::set<std::string> stored = codesIn(path);
        for (const std::string& c : spooled) EXPECT_EQ(stored.count(c), 1u) << c;
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
    const uint64_t longer = SqliteCheckpointer::longLog + (2u << 20);
    for (int i = 0; size() < longer && i < 5000; ++i)
        store.submit(entry("Name" + std::to_string(100000 + i), 1 + i % 5, 100 + i, i));
    ASSERT_GE(size(), longer);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_GE(size(), longer); // the reader still needs it
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    EXPECT_TRUE(within(std::chrono::seconds(5), [&] { return size() < (1u << 20); })) << size();
}

TEST(SqliteFile, AQuietServersFileHoldsEveryEntryWithoutItsLogAlsoBesideAnotherServer) {
    TTestVerzeichnis folder;
    const std::string path = folder.datei("liga.db");
    LeagueProcess a(path, {"--limit", "0"}, folder.datei("a.log"));
    LeagueProcess b(path, {"--limit", "0"}, folder.datei("b.log"));
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(loopbackGet(i == 2 ? b.port : a.port,
                              "/rekord.php?code=" + code("Ruhig_Rita", 700 + i, 1, i))
                      .find("\r\n\r\nPlatz "),
                  std::string::npos);
    // Copied back while the servers idle, so that a stop has nothing left to flush.
    const auto entriesInFileAlone = [&] {
        std::filesystem::copy_file(path, folder.datei("kopie.db"),
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
    // Once copied, an idle server writes nothing more.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    const std::vector<uint8_t> idle = bytesLesen(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(bytesLesen(path) == idle) << "written while idle";
    // The other server took that for the league's own checkpoint.
    EXPECT_NE(loopbackGet(a.port, "/rekord.php?code=" + code("Ruhig_Rita", 600, 1, 9))
                  .find("\r\n\r\nPlatz "),
              std::string::npos);
    for (const char* log : {"a.log", "b.log"}) {
        const std::vector<uint8_t> bytes = bytesLesen(folder.datei(log));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("league file"), std::string::npos);
    }
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

// A leader that gets no connection by its deadline gives up alone; those that queued behind
// it are written by the next leader at once, not at their own deadline.
TEST(SqliteFile, ABatchLeaderThatGetsNoConnectionHandsTheLeadOn) {
    SubmissionBatches batches;
    std::atomic<int> writes{0}, queued{0};
    std::vector<std::size_t> sizes;
    const SubmissionBatches::Writer write = [&](const SubmissionBatches::Take& take, Deadline) {
        if (writes++ == 0) {
            while (queued < 3) std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return; // no connection: takes nothing
        }
        const SubmissionBatches::Batch batch = take();
        sizes.push_back(batch.size());
        for (auto* w : batch) w->placed = Placement{};
    };
    const Deadline until = waitFromNow(std::chrono::seconds(3));
    std::atomic<int> placed{0}, busy{0};
    const auto submit = [&](int i) {
        const Submission e = entry("Name" + std::to_string(i), 1, 100 + i);
        try {
            batches.submit(e, until, write);
            ++placed;
        } catch (const StoreUnavailable&) {
            ++busy;
        }
    };
    std::thread leader(submit, 0);
    while (writes == 0) std::this_thread::yield();
    std::vector<std::thread> behind;
    for (int i = 1; i <= 3; ++i)
        behind.emplace_back([&, i] {
            ++queued;
            submit(i);
        });
    for (auto& t : behind) t.join();
    leader.join();
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(placed, 3);
    EXPECT_EQ(sizes, std::vector<std::size_t>{3});
}

} // namespace
