// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ligaflut_store.h"
#include "league_process.h"
#include "ligacode.h"
#include "loopback.h"
#include "pg_database.h"
#include "sqlite_store.h"
#include "testverzeichnis.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sqlite3.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string code(const std::string& name, int32_t tenths, int32_t level, int32_t seed) {
    return getcode(name, tenths, level, [&seed](int32_t k) { return (seed++ & 0x7FFFFFFF) % k; });
}

// A code of its own for each n, on every level, slower than any review bound.
std::string floodCode(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "Hand_%07d", n);
    return code(name, 1000 + n % 3000, 1 + n % 5, n);
}

enum class Answer { placed, spooled, refused, other };

struct Sent {
    std::string code;
    Answer answer = Answer::other;
    Clock::time_point start, end;
};

Sent submit(int port, const std::string& c, uint32_t source) {
    Sent s{c, Answer::other, Clock::now(), {}};
    const std::string a = loopbackSenden(
        port, "GET /rekord.php?code=" + c + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", 15, source);
    s.end = Clock::now();
    if (a.find("\r\n\r\nPlatz ") != std::string::npos) s.answer = Answer::placed;
    if (a.find("Ihre Zeit ist angekommen") != std::string::npos) s.answer = Answer::spooled;
    if (a.find("kann gerade nichts speichern") != std::string::npos) s.answer = Answer::refused;
    return s;
}

int lines(const std::string& path) {
    std::ifstream in(path);
    int n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// What SQLite finds on the path: the codes, and whether the file is intact.
struct FileState {
    std::set<std::string> codes;
    std::string integrity = "cannot open";
};

FileState look(const std::string& path) {
    FileState f;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            f.integrity = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        f.integrity = f.integrity == "ok"
                          ? "integrity ok"
                          : "damaged: " + f.integrity.substr(0, f.integrity.find('\n', 26));
        sqlite3_finalize(s);
        if (sqlite3_prepare_v2(db, "SELECT code FROM entries", -1, &s, nullptr) == SQLITE_OK)
            while (sqlite3_step(s) == SQLITE_ROW)
                f.codes.insert(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return f;
}

// Clients that send fresh codes one after another until stopped, each from its own address.
class Senders {
public:
    Senders(int clients, std::function<int(int)> port, int first = 0) {
        for (int t = 0; t < clients; ++t)
            threads_.emplace_back([this, t, clients, port, first] {
                for (int n = first + t; !stop_; n += clients) {
                    Sent s = submit(port(n), floodCode(n), 0x7F000010 + static_cast<uint32_t>(t));
                    std::lock_guard lock(mutex_);
                    sent_.push_back(std::move(s));
                }
            });
    }
    std::vector<Sent> stop() {
        stop_ = true;
        for (auto& t : threads_) t.join();
        threads_.clear();
        return std::move(sent_);
    }
    std::size_t size() {
        std::lock_guard lock(mutex_);
        return sent_.size();
    }
    ~Senders() { stop(); }

private:
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<Sent> sent_;
    std::vector<std::thread> threads_;
};

int answered(const std::vector<Sent>& sent, Answer a) {
    return static_cast<int>(
        std::count_if(sent.begin(), sent.end(), [a](const Sent& s) { return s.answer == a; }));
}

int missing(const std::vector<Sent>& sent, const FileState& file) {
    int n = 0;
    for (const Sent& s : sent) n += s.answer == Answer::placed && !file.codes.count(s.code);
    return n;
}

void twoServers() {
    TTestVerzeichnis dir;
    const std::string path = dir.datei("liga.db");
    std::vector<Sent> sent;
    {
        LeagueProcess a(path, {"--limit", "0"}, dir.datei("a.log"));
        LeagueProcess b(path, {"--limit", "0"}, dir.datei("b.log"));
        // Three in four to the first server.
        Senders senders(4, [&](int n) { return n % 4 == 3 ? b.port : a.port; });
        while (senders.size() < 3000) std::this_thread::sleep_for(50ms);
        sent = senders.stop();
    }
    const FileState file = look(path);
    std::printf("twoservers: %zu submissions to two servers on one file: %d placed, %d spooled, "
                "%d refused; "
                "stderr lines %d and %d; placed but not in the file: %d; %s\n",
                sent.size(), answered(sent, Answer::placed), answered(sent, Answer::spooled),
                answered(sent, Answer::refused), lines(dir.datei("a.log")),
                lines(dir.datei("b.log")), missing(sent, file), file.integrity.c_str());
}

void operatorBeside() {
    TTestVerzeichnis dir;
    const std::string path = dir.datei("liga.db");
    {
        // Enough entries that listing them all takes the operator a while.
        liga::SqliteStore store(path);
        for (int n = 0; n < 20000; ++n)
            store.submit({"Alt_" + std::to_string(100000 + n), 1 + n % 5, 1000 + n % 3000,
                          1700000000, floodCode(500000 + n)});
    }
    std::vector<Sent> before, during;
    std::string said;
    {
        LeagueProcess server(path, {"--limit", "0"}, dir.datei("server.log"));
        Senders first(2, [&](int) { return server.port; });
        while (first.size() < 400) std::this_thread::sleep_for(50ms);
        before = first.stop();
        Senders senders(
            2, [&](int) { return server.port; }, 100000);
        std::vector<std::string> remove = {"remove", "--db", path};
        for (std::size_t i = 0; i < 200; ++i) remove.push_back(before[i].code);
        said += runLeagueCommand(remove).output;
        for (int i = 0; i < 3; ++i)
            said += runLeagueCommand({"entries", "--db", path, "--all"}).output;
        std::this_thread::sleep_for(1s);
        during = senders.stop();
    }
    const FileState file = look(path);
    int removedStill = 0;
    for (std::size_t i = 0; i < 200; ++i) removedStill += file.codes.count(before[i].code);
    std::printf(
        "operator: remove of 200 codes and 3 x entries --all beside a server taking "
        "submissions: of %zu sent meanwhile %d placed, %d spooled, %d refused; alarms on the "
        "operator's terminal %d; server stderr lines %d; removed codes still there %d; "
        "placed but not in the file %d; %s\n",
        during.size(), answered(during, Answer::placed), answered(during, Answer::spooled),
        answered(during, Answer::refused), count(said, "was replaced") + count(said, "was deleted"),
        lines(dir.datei("server.log")), removedStill, missing(during, file),
        file.integrity.c_str());
}

// The file deleted, or another league's renamed or copied over it, while two clients send.
void underFlood(const char* how) {
    TTestVerzeichnis dir;
    const std::string path = dir.datei("liga.db");
    const std::string other = dir.datei("andere.db");
    {
        liga::SqliteStore store(other);
        for (int n = 0; n < 5; ++n)
            store.submit(
                {"Andere_Liga" + std::to_string(n), 1, 100 + n, 1700000000, floodCode(900000 + n)});
    }
    std::vector<uint8_t> otherBytes = bytesLesen(other);
    const std::string what = how;
    std::vector<Sent> sent;
    Clock::time_point done;
    {
        LeagueProcess server(path, {"--limit", "0"}, dir.datei("server.log"));
        Senders senders(2, [&](int) { return server.port; });
        std::this_thread::sleep_for(1s);
        if (what == "older") {
            // The other file is a backup of the league itself, a second older than it.
            sqlite3 *from = nullptr, *to = nullptr;
            sqlite3_open_v2(path.c_str(), &from, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_open(other.c_str(), &to);
            sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
            sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            sqlite3_close(to);
            sqlite3_close(from);
            otherBytes = bytesLesen(other);
        }
        std::this_thread::sleep_for(1s);
        if (what == "deleted")
            std::filesystem::remove(path);
        else if (what == "renamed")
            std::filesystem::rename(other, path);
        else
            std::filesystem::copy_file(other, path,
                                       std::filesystem::copy_options::overwrite_existing);
        done = Clock::now();
        std::this_thread::sleep_for(2s);
        sent = senders.stop();
    }
    // What of the other file a write after the copy changed: pages within it, and its length.
    std::string otherFile = "-";
    if (what != "deleted") {
        const std::vector<uint8_t> now = bytesLesen(path);
        std::size_t pages = 0;
        for (std::size_t at = 0; at < otherBytes.size(); at += 4096)
            pages += now.size() < at + 4096 ||
                     !std::equal(otherBytes.begin() + static_cast<std::ptrdiff_t>(at),
                                 otherBytes.begin() + static_cast<std::ptrdiff_t>(
                                                          std::min(at + 4096, otherBytes.size())),
                                 now.begin() + static_cast<std::ptrdiff_t>(at));
        otherFile = pages == 0 && now.size() == otherBytes.size()
                        ? "untouched"
                        : "written into: " + std::to_string(pages) + " of its pages changed, " +
                              std::to_string(static_cast<long long>(now.size()) -
                                             static_cast<long long>(otherBytes.size())) +
                              " bytes longer";
    }
    std::vector<Sent> after;
    for (const Sent& s : sent)
        if (s.start > done) after.push_back(s);
    // A restart on the path: its page and a new code.
    std::string page, placed;
    {
        LeagueProcess again(path, {"--limit", "0"}, dir.datei("again.log"));
        page = loopbackSenden(again.port, "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", 15);
        page = page.substr(0, page.find("\r\n"));
        placed = loopbackSenden(again.port,
                                "GET /rekord.php?code=" + floodCode(950000) +
                                    " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n",
                                15);
        placed = placed.substr(placed.find("\r\n\r\n") + 4);
        placed = placed.substr(0, placed.find("\r\n"));
    }
    const FileState file = look(path);
    std::printf(
        "%s: %zu submissions, %zu sent after it; of those %d placed, %d spooled, %d refused, "
        "%d placed but not in the file; stderr lines %d; the other file %s; restarted: "
        "page \"%s\", a new code \"%s\"; %s\n",
        how, sent.size(), after.size(), answered(after, Answer::placed),
        answered(after, Answer::spooled), answered(after, Answer::refused), missing(after, file),
        lines(dir.datei("server.log")), otherFile.c_str(), page.c_str(), placed.c_str(),
        file.integrity.c_str());
}

void banRace() {
    PgDatabase database;
    if (!database.missing.empty()) {
        std::printf("pgban: left out, %s\n", database.missing.c_str());
        return;
    }
    TTestVerzeichnis dir;
    LeagueProcess server(database.conninfo, {"--limit", "0"}, dir.datei("server.log"));
    const std::string name = "Ruepel_Rudi";
    int leaky = 0, placedAfter = 0, seed = 1;
    for (int round = 0; round < 10; ++round) {
        std::atomic<bool> stop = false;
        std::atomic<int> after = 0;
        std::atomic<bool> banned = false;
        std::vector<std::thread> clients;
        for (int t = 0; t < 4; ++t)
            clients.emplace_back([&, t] {
                for (int n = 0; !stop; ++n) {
                    const bool late = banned;
                    const Sent s =
                        submit(server.port, code(name, 400 + n % 500, 3, seed + n * 4 + t),
                               0x7F000020 + static_cast<uint32_t>(t));
                    if (late && s.answer == Answer::placed) ++after;
                }
            });
        std::this_thread::sleep_for(300ms);
        runLeagueCommand({"ban", "--db", database.conninfo, name});
        banned = true;
        std::this_thread::sleep_for(300ms);
        stop = true;
        for (auto& c : clients) c.join();
        seed += 100000;
        const std::string feed =
            loopbackSenden(server.port, "GET /liga.json HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", 15);
        leaky += feed.find(name) != std::string::npos;
        placedAfter += after;
        runLeagueCommand({"unban", "--db", database.conninfo, name});
    }
    std::printf("pgban: 10 bans, each while 4 clients send the name's codes: the name stayed on "
                "the board after %d; %d codes sent after a ban had returned were placed\n",
                leaky, placedAfter);
}

} // namespace

void storeFloods(const std::function<bool(const char*)>& wanted) {
    if (wanted("twoservers")) twoServers();
    if (wanted("operator")) operatorBeside();
    for (const char* how : {"deleted", "renamed", "copied", "older"})
        if (wanted(("flood-" + std::string(how)).c_str())) underFlood(how);
    if (wanted("pgban")) banRace();
}
