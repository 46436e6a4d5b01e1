// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ligaprozess.h"

#include <csignal>
#include <poll.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

TLigaProzess::TLigaProzess(const std::string& datenbank, const std::vector<std::string>& zusatz) {
    std::vector<std::string> argumente = {ZUNDEL_LIGA_PROGRAMM, "--listen", "127.0.0.1:0", "--db",
                                          datenbank};
    argumente.insert(argumente.end(), zusatz.begin(), zusatz.end());
    std::vector<char*> argv;
    for (std::string& a : argumente) argv.push_back(a.data());
    argv.push_back(nullptr);

    int rohr[2];
    if (pipe(rohr) != 0) return;
    pid = fork();
    if (pid == 0) {
        dup2(rohr[1], STDOUT_FILENO);
        close(rohr[0]);
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
