// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <vector>

// One block of the socket's send queue: bytes from the read count to the write count are
// still to be sent.
class TBuffer final {
public:
    static constexpr int defaultSize = 1514;

    // A size of 0 or less means the standard size.
    explicit TBuffer(int size = defaultSize);

    // Copies as many bytes as fit behind the write count; returns how many.
    int Write(const void* data, int len);
    // The pending bytes and their count (0 when none).
    const char* Peek(int& len) const;
    // Drops up to len pending bytes; returns how many. Nothing left: both counts return to 0.
    int Remove(int len);
    // Changes the size, keeping the pending bytes (cut to the new size).
    void SetBufSize(int size);

    int BufSize() const { return static_cast<int>(data_.size()); }
    int Pending() const { return wr_ - rd_; }

private:
    std::vector<char> data_;
    int wr_ = 0;
    int rd_ = 0;
};
