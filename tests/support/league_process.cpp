// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "league_process.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> cursor(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// ZUNDEL_LIGA names another build of the program, for a benchmark's figures before a change.
std::string program() {
    const char* other = std::getenv("ZUNDEL_LIGA");
    return other && *other ? other : ZUNDEL_LIGA_PROGRAMM;
}

} // namespace

LeagueProcess::LeagueProcess(const std::string& database, const std::vector<std::string>& extra,
                             const std::string& errorFile) {
    std::vector<std::string> arguments = {program(), "--listen", "127.0.0.1:0"};
    if (!database.empty()) arguments.insert(arguments.end(), {"--db", database});
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    if (std::find(extra.begin(), extra.end(), "--spool") == extra.end()) {
        std::string folder = (std::filesystem::temp_directory_path() / "zundel-spool-XXXXXX");
        if (::mkdtemp(folder.data())) {
            spool_ = folder;
            arguments.insert(arguments.end(), {"--spool", spool_});
        }
    }
    std::vector<char*> argv = cursor(arguments);

    int ends[2];
    if (pipe(ends) != 0) return;
    pid = fork();
    if (pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        close(ends[0]);
        if (!errorFile.empty()) {
            const int fd = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) dup2(fd, STDERR_FILENO);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(ends[1]);
    port = announcedPort(ends[0]);
    close(ends[0]);
}

int announcedPort(int fd) {
    // "Zundel-League listening on http://127.0.0.1:PORT/"
    std::string line;
    pollfd p{fd, POLLIN, 0};
    char c = 0;
    while (line.find('\n') == std::string::npos && poll(&p, 1, 15000) == 1 && read(fd, &c, 1) == 1)
        line += c;
    std::smatch hits;
    // Any address, IPv6 in brackets included.
    if (std::regex_search(line, hits, std::regex(":([0-9]+)/"))) return std::stoi(hits[1].str());
    return 0;
}

LeagueProcess::~LeagueProcess() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::error_code ignored;
    if (!spool_.empty()) std::filesystem::remove_all(spool_, ignored);
}

LeagueCommandResult runLeagueCommand(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {ZUNDEL_LIGA_PROGRAMM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = cursor(all);
    LeagueCommandResult b;
    int out[2], err[2];
    if (pipe(out) != 0) return b;
    if (pipe(err) != 0) {
        close(out[0]);
        close(out[1]);
        return b;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    pollfd ends[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    char buffer[4096];
    for (int open = 2; open > 0 && poll(ends, 2, -1) > 0;)
        for (pollfd& p : ends) {
            if (p.fd < 0 || p.revents == 0) continue;
            const ssize_t n = read(p.fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(p.fd);
                p.fd = -1;
                --open;
                continue;
            }
            b.output.append(buffer, static_cast<std::size_t>(n));
            if (p.fd == out[0]) b.standardOutput.append(buffer, static_cast<std::size_t>(n));
        }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        b.status = WEXITSTATUS(status);
    return b;
}
