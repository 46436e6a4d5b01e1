// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ligaprozess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> zeiger(std::vector<std::string>& argumente) {
    std::vector<char*> argv;
    for (std::string& a : argumente) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

} // namespace

TLigaProzess::TLigaProzess(const std::string& datenbank, const std::vector<std::string>& zusatz,
                           const std::string& fehlerDatei) {
    std::vector<std::string> argumente = {ZUNDEL_LIGA_PROGRAMM, "--listen", "127.0.0.1:0", "--db",
                                          datenbank};
    argumente.insert(argumente.end(), zusatz.begin(), zusatz.end());
    std::vector<char*> argv = zeiger(argumente);

    int rohr[2];
    if (pipe(rohr) != 0) return;
    pid = fork();
    if (pid == 0) {
        dup2(rohr[1], STDOUT_FILENO);
        close(rohr[0]);
        if (!fehlerDatei.empty()) {
            const int fd = open(fehlerDatei.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) dup2(fd, STDERR_FILENO);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(rohr[1]);
    // "Zundel-League listening on http://127.0.0.1:PORT/"
    std::string zeile;
    pollfd p{rohr[0], POLLIN, 0};
    char c = 0;
    while (zeile.find('\n') == std::string::npos && poll(&p, 1, 15000) == 1 &&
           read(rohr[0], &c, 1) == 1)
        zeile += c;
    close(rohr[0]);
    std::smatch treffer;
    if (std::regex_search(zeile, treffer, std::regex("127\\.0\\.0\\.1:([0-9]+)/")))
        port = std::stoi(treffer[1].str());
}

TLigaProzess::~TLigaProzess() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

TLigaBefehl ligaBefehl(const std::vector<std::string>& argumente) {
    std::vector<std::string> alle = {ZUNDEL_LIGA_PROGRAMM};
    alle.insert(alle.end(), argumente.begin(), argumente.end());
    std::vector<char*> argv = zeiger(alle);
    TLigaBefehl b;
    int rohr[2];
    if (pipe(rohr) != 0) return b;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(rohr[1], STDOUT_FILENO);
        dup2(rohr[1], STDERR_FILENO);
        close(rohr[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(rohr[1]);
    char puffer[4096];
    for (ssize_t n; (n = read(rohr[0], puffer, sizeof puffer)) > 0;)
        b.ausgabe.append(puffer, static_cast<std::size_t>(n));
    close(rohr[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        b.status = WEXITSTATUS(status);
    return b;
}
