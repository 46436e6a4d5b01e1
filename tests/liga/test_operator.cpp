// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// An operator's commands against two running league servers on one database: what the
// pages, the feeds, the players and the servers' logs see of them.
#include "league_process.h"
#include "ligacode.h"
#include "loopback.h"
#include "pg_database.h"
#include "testverzeichnis.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

namespace {

std::string code(const char* name, int32_t time, int32_t level, int32_t seed) {
    return getcode(name, time, level, [&seed](int32_t n) { return seed++ % n; });
}

std::string body(const std::string& answer) {
    const std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

std::string file(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void operate(const std::string& db, const std::string& folder) {
    LeagueProcess a(db, {"--limit", "0"}, folder + "/a.log");
    LeagueProcess b(db, {"--limit", "0"}, folder + "/b.log");
    ASSERT_NE(a.port, 0) << "the first league server did not start";
    ASSERT_NE(b.port, 0) << "the second league server did not start";
    const auto send = [&](const std::string& c) {
        const std::string k = body(loopbackGet(a.port, "/rekord.php?code=" + c));
        return k.substr(0, k.find("\r\n"));
    };
    const auto command = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {"--db", db});
        return runLeagueCommand(arguments);
    };
    const auto show = [&](const std::string& name) {
        // Every change counts from the next read of either server, page and feed alike.
        const bool page = body(loopbackGet(b.port, "/")).find(name) != std::string::npos;
        const bool feed = body(loopbackGet(a.port, "/liga.json")).find(name) != std::string::npos;
        EXPECT_EQ(page, feed) << name;
        return page;
    };

    const std::string rudi = code("Ruepel_Rudi", 300, 3, 1);
    const std::string berndFast = code("Brav_Bernd", 320, 3, 2);
    const std::string fee = code("Flinke_Fee", 100, 3, 3);
    EXPECT_EQ(send(rudi), "Platz 1 von 1 in der Spielstufe Profis.");
    EXPECT_EQ(send(code("Brav_Bernd", 350, 3, 4)), "Platz 2 von 2 in der Spielstufe Profis.");
    EXPECT_EQ(send(berndFast), "Platz 2 von 2 in der Spielstufe Profis.");
    // Faster than anyone has been on such a board: held.
    EXPECT_EQ(send(fee), "Ihre Zeit wird gepr\xFC"
                         "ft und erscheint nach der Freigabe in der Liga.");
    EXPECT_FALSE(show("Flinke_Fee"));

    const LeagueCommandResult held = command({"entries", "--held"});
    EXPECT_EQ(held.status, 0);
    EXPECT_TRUE(
        std::regex_match(held.output, std::regex(fee + "  Flinke_Fee +Profis +10,0 Sekunden  "
                                                       "[0-9]{2}\\.[0-9]{2}\\.[0-9]{4} "
                                                       "[0-9]{2}:[0-9]{2}:[0-9]{2}  held\n")))
        << held.output;
    const LeagueCommandResult all = command({"entries"});
    EXPECT_EQ(std::count(all.output.begin(), all.output.end(), '\n'), 4) << all.output;

    EXPECT_EQ(command({"ban", "Ruepel_Rudi"}).status, 0);
    EXPECT_FALSE(show("Ruepel_Rudi"));
    EXPECT_EQ(send(code("Ruepel_Rudi", 290, 3, 5)),
              "Nicht eingetragen: Dieser Name ist in der Liga gesperrt.");
    EXPECT_NE(command({"entries", "--name", "Ruepel_Rudi"}).output.find("ranked, barred\n"),
              std::string::npos);
    EXPECT_EQ(command({"unban", "Ruepel_Rudi"}).status, 0);
    EXPECT_TRUE(show("Ruepel_Rudi"));
    EXPECT_EQ(
        command({"entries", "--name", "Ruepel_Rudi"}).output.find(code("Ruepel_Rudi", 290, 3, 5)),
        std::string::npos);

    // Bernd's best goes; his next best shows.
    EXPECT_TRUE(show("32,0 Sekunden"));
    EXPECT_EQ(command({"remove", berndFast}).status, 0);
    EXPECT_FALSE(show("32,0 Sekunden"));
    EXPECT_TRUE(show("35,0 Sekunden"));

    EXPECT_EQ(command({"approve", fee}).status, 0);
    EXPECT_TRUE(show("Flinke_Fee"));
    EXPECT_EQ(command({"approve", fee}).status, 0);      // ranked already: nothing to do
    EXPECT_EQ(command({"remove", berndFast}).status, 1); // no such entry any more

    // Each server logged each change once, one line each.
    const std::string expected[] = {"ban Ruepel_Rudi\n", "unban Ruepel_Rudi\n",
                                    "remove " + berndFast + "\n", "approve " + fee + "\n"};
    for (const std::string& log : {folder + "/a.log", folder + "/b.log"}) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (file(log).find(expected[3]) == std::string::npos &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string text = file(log);
        std::size_t at = 0;
        for (const std::string& line : expected) {
            at = text.find(" UTC " + line, at);
            ASSERT_NE(at, std::string::npos) << line << " in " << text;
        }
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
    }
}

TEST(Operator, AnOperatorBansRemovesAndApprovesWhileTwoServersRunOnAFile) {
    TTestVerzeichnis folder;
    operate(folder.datei("liga.db"), folder.datei(""));
}

TEST(Operator, CommandsKeepOneExitRuleTakeCodesInAnyCaseHintAtNamesAndMakeNoLeague) {
    TTestVerzeichnis folder;
    const std::string db = folder.datei("liga.db");
    LeagueProcess server(db, {"--limit", "0"});
    ASSERT_NE(server.port, 0);
    const std::string bertram = code("Bertram", 400, 3, 1);
    const std::string rudi = code("Rudi_Ruepel", 410, 3, 2);
    for (const std::string& c : {bertram, rudi})
        EXPECT_NE(loopbackGet(server.port, "/rekord.php?code=" + c).find("Platz "),
                  std::string::npos);
    const auto command = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin() + 1, {"--db", db});
        return runLeagueCommand(arguments);
    };
    const auto lower = [](std::string t) {
        for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return t;
    };
    const auto onBoard = [&](const std::string& name) {
        return body(loopbackGet(server.port, "/")).find(name) != std::string::npos;
    };

    // 0: changed or nothing to change; codes in any case.
    EXPECT_EQ(command({"hold", lower(bertram)}).status, 0);
    EXPECT_FALSE(onBoard("Bertram"));
    EXPECT_EQ(command({"hold", bertram}).status, 0);
    EXPECT_EQ(command({"approve", bertram}).status, 0);
    EXPECT_TRUE(onBoard("Bertram"));
    EXPECT_EQ(command({"approve", bertram}).status, 0);
    EXPECT_EQ(command({"unban", "Bertram"}).status, 0);
    // 1: refused.
    EXPECT_EQ(command({"reject", bertram}).status, 1); // ranked, not held
    EXPECT_EQ(command({"remove", code("Niemand", 500, 3, 3)}).status, 1);
    const LeagueCommandResult badName = command({"ban", "Rudi Ruepel"});
    EXPECT_EQ(badName.status, 1);
    EXPECT_NE(badName.output.find("6 to 15 of A-Z a-z 0-9 ! # ( ) , - . / = ? [ ] _"),
              std::string::npos)
        << badName.output;

    // Names match exactly; one that differs only in case is named.
    const LeagueCommandResult listed = command({"entries", "--name", "bertram"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.standardOutput, "");
    EXPECT_NE(
        listed.output.find("no entry carries the name bertram (Bertram differs only in case)"),
        std::string::npos)
        << listed.output;
    const LeagueCommandResult ahead = command({"ban", "rudi_ruepel"});
    EXPECT_EQ(ahead.status, 0);
    EXPECT_NE(ahead.output.find("(Rudi_Ruepel differs only in case)"), std::string::npos)
        << ahead.output;
    EXPECT_TRUE(onBoard("Rudi_Ruepel"));
    // Barred ahead of time: its first code is refused.
    EXPECT_EQ(body(loopbackGet(server.port, "/rekord.php?code=" + code("rudi_ruepel", 300, 3, 4)))
                  .rfind("Nicht eingetragen: Dieser Name ist in der Liga gesperrt.", 0),
              0u);

    // 2: a command line that cannot be read, the mistake named; --help on standard output.
    const LeagueCommandResult typo = command({"entries", "--limt", "5"});
    EXPECT_EQ(typo.status, 2);
    EXPECT_NE(typo.output.find("unknown option --limt"), std::string::npos) << typo.output;
    EXPECT_LT(typo.output.size(), 200u);
    for (const std::vector<std::string>& help :
         {std::vector<std::string>{"--help"}, std::vector<std::string>{"hold", "--help"}}) {
        const LeagueCommandResult h = runLeagueCommand(help);
        EXPECT_EQ(h.status, 0);
        EXPECT_NE(h.standardOutput.find("zundel-liga hold [--db PATH|URI] CODE..."),
                  std::string::npos);
        EXPECT_EQ(h.output, h.standardOutput);
    }
    EXPECT_EQ(runLeagueCommand({"--db", db, "--limt", "5"}).status, 2);

    // A path that holds no league is refused, and none is made there.
    for (const std::vector<std::string>& mistyped :
         {std::vector<std::string>{"entries"}, {"ban", "Rudi_Ruepel"}, {"remove", bertram}}) {
        std::vector<std::string> arguments = mistyped;
        arguments.insert(arguments.begin() + 1, {"--db", folder.datei("liag.db")});
        EXPECT_EQ(runLeagueCommand(arguments).status, 1);
        EXPECT_FALSE(std::filesystem::exists(folder.datei("liag.db")));
    }
}

TEST(Operator, AnOperatorBansRemovesAndApprovesWhileTwoServersRunOnPostgreSQL) {
    PgDatabase database;
    if (!database.missing.empty()) {
        if (PgDatabase::required()) FAIL() << database.missing;
        GTEST_SKIP() << database.missing;
    }
    TTestVerzeichnis folder;
    operate(database.conninfo, folder.datei(""));
}

// The service hands the database's password over in the environment: a server and an
// operator's command reach a database that wants it, and the server's command line, which
// every local user can read, holds none of it.
TEST(Operator, ThePasswordComesFromTheEnvironmentAndNotTheCommandLine) {
    std::optional<PgDatabase> database(std::in_place);
    if (!database->missing.empty()) {
        if (PgDatabase::required()) FAIL() << database->missing;
        GTEST_SKIP() << database->missing;
    }
    const std::string password = "Secret-" + std::to_string(getpid());
    ASSERT_EQ(PgDatabase::run("CREATE ROLE zundel_passwort LOGIN PASSWORD '" + password + "'"), "");
    ASSERT_EQ(PgDatabase::run("ALTER DATABASE " + database->name() + " OWNER TO zundel_passwort"),
              "");
    const std::string withoutPassword = database->conninfo + " user=zundel_passwort";
    EXPECT_EQ(runLeagueCommand({"entries", "--db", withoutPassword}).status, 1)
        << "the role gets in without its password, so this test proves nothing";

    setenv("ZUNDEL_LIGA_DB", (withoutPassword + " password=" + password).c_str(), 1);
    {
        LeagueProcess server("");
        ASSERT_NE(server.port, 0) << "the league server did not start";
        const std::string answer =
            body(loopbackGet(server.port, "/rekord.php?code=" + code("Ohne_Argv", 300, 3, 1)));
        EXPECT_EQ(answer.substr(0, answer.find("\r\n")), "Platz 1 von 1 in der Spielstufe Profis.");
        const LeagueCommandResult list = runLeagueCommand({"entries"});
        EXPECT_EQ(list.status, 0);
        EXPECT_NE(list.output.find("Ohne_Argv"), std::string::npos) << list.output;

        std::string argv = file("/proc/" + std::to_string(server.process()) + "/cmdline");
        std::replace(argv.begin(), argv.end(), '\0', ' ');
        EXPECT_NE(argv.find("--listen"), std::string::npos) << argv;
        EXPECT_EQ(argv.find(password), std::string::npos) << argv;
    }
    unsetenv("ZUNDEL_LIGA_DB");
    database.reset();
    EXPECT_EQ(PgDatabase::run("DROP ROLE zundel_passwort"), "");
}

} // namespace
