// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

// The league server zundel-liga as a child process on 127.0.0.1, on a port of the system's
// choosing that it names on its first line; its standard error into `fehlerDatei` when
// one is named. Stopped (SIGTERM) by the destructor.
class TLigaProzess final {
public:
    explicit TLigaProzess(const std::string& datenbank, const std::vector<std::string>& zusatz = {},
                          const std::string& fehlerDatei = {});
    ~TLigaProzess();
    TLigaProzess(const TLigaProzess&) = delete;
    TLigaProzess& operator=(const TLigaProzess&) = delete;

    int port = 0; // 0 when the server did not start within 15 s
    std::string host() const { return "127.0.0.1:" + std::to_string(port); }
    pid_t prozess() const { return pid; }

private:
    pid_t pid = -1;
};

// zundel-liga run with these arguments to its end: what it wrote to standard output and
// standard error, and its exit status.
struct TLigaBefehl {
    std::string ausgabe;
    int status = -1;
};
TLigaBefehl ligaBefehl(const std::vector<std::string>& argumente);
