// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

// The league server zundel-liga (or the one that ZUNDEL_LIGA names) as a child process on
// 127.0.0.1, on a port of the system's choosing that it names on its first line; its standard
// error into `errorFile` when one is named; its spool in a fresh folder of its own unless `extra`
// names one. Without `database`, without --db: the server takes ZUNDEL_LIGA_DB from the
// environment it inherits. Stopped (SIGTERM) by the destructor.
class LeagueProcess final {
public:
    explicit LeagueProcess(const std::string& database, const std::vector<std::string>& extra = {},
                           const std::string& errorFile = {});
    ~LeagueProcess();
    LeagueProcess(const LeagueProcess&) = delete;
    LeagueProcess& operator=(const LeagueProcess&) = delete;

    int port = 0; // 0 when the server did not start within 15 s
    std::string host() const { return "127.0.0.1:" + std::to_string(port); }
    pid_t process() const { return pid; }

private:
    pid_t pid = -1;
    std::string spool_; // made for it, removed afterwards
};

// The port a starting server names on the first line it writes to `fd`, its standard
// output; 0 when none came within 15 s.
int announcedPort(int fd);

// zundel-liga run with these arguments to its end: what it wrote to standard output and
// standard error, and its exit status.
struct LeagueCommandResult {
    std::string output;         // standard output and standard error, as they came
    std::string standardOutput; // standard output alone
    int status = -1;
};
LeagueCommandResult runLeagueCommand(const std::vector<std::string>& arguments);
