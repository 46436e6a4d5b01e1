// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

namespace liga {

// Notices when the league's SQLite file is deleted or replaced under the running server:
// its device and inode change, it is gone, or someone else wrote into it. In write-ahead
// logging only the server's own checkpoints write into the file itself, so any other
// change of its time or size is another program's copy over it. From then on the store
// writes nothing more, neither entries nor checkpoints, and one line goes to stderr.
class DatabaseWatch final {
public:
    explicit DatabaseWatch(std::string path); // takes the file as it is now as the league's
    // Looks at the file; false from the first look that found it deleted or replaced.
    bool look();
    // The server wrote into the file itself (a checkpoint): its new time and size are its own.
    void ownWrite();
    bool gone() const { return gone_; }

private:
    struct Identity {
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modifiedNs = 0;
        bool exists = false;
    };
    Identity now() const;

    const std::string path_;
    Identity known_;
    std::atomic<bool> gone_ = false;
};

} // namespace liga
