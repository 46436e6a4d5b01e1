// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace liga {

// Whether a process other than this one has the SQLite file at `path` open, while this one
// has it open in write-ahead logging: every connection holds a read lock on the dead-man
// byte of the file's shared memory (PATH-shm) as long as it is open. Asked through the
// descriptor the library itself holds, since closing any descriptor of a file would drop
// every lock this process has on it. True when it cannot tell.
bool sharedWithAnotherProcess(const std::string& path);

} // namespace liga
