// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffer.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int size) : data_(size > 0 ? size : defaultSize) {}

int TBuffer::Write(const void* data, int len) {
    int n = std::min(len, BufSize() - wr_);
    if (n <= 0) return 0;
    std::memcpy(data_.data() + wr_, data, static_cast<std::size_t>(n));
    wr_ += n;
    return n;
}

const char* TBuffer::Peek(int& len) const {
    len = wr_ - rd_;
    return len > 0 ? data_.data() + rd_ : nullptr;
}

int TBuffer::Remove(int len) {
    int n = std::clamp(len, 0, wr_ - rd_);
    rd_ += n;
    if (rd_ >= wr_) rd_ = wr_ = 0;
    return n;
}

void TBuffer::SetBufSize(int size) {
    if (size <= 0) size = defaultSize;
    int pending = std::min(Pending(), size);
    std::vector<char> fresh(static_cast<std::size_t>(size));
    if (pending > 0)
        std::memcpy(fresh.data(), data_.data() + rd_, static_cast<std::size_t>(pending));
    data_ = std::move(fresh);
    rd_ = 0;
    wr_ = pending;
}
