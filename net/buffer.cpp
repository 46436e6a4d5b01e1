// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffer.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int groesse) : daten_(groesse > 0 ? groesse : standardGroesse) {}

int TBuffer::Write(const void* data, int len) {
    int n = std::min(len, BufSize() - wr_);
    if (n <= 0) return 0;
    std::memcpy(daten_.data() + wr_, data, static_cast<std::size_t>(n));
    wr_ += n;
    return n;
}

const char* TBuffer::Peek(int& len) const {
    len = wr_ - rd_;
    return len > 0 ? daten_.data() + rd_ : nullptr;
}

int TBuffer::Remove(int len) {
    int n = std::clamp(len, 0, wr_ - rd_);
    rd_ += n;
    if (rd_ >= wr_) rd_ = wr_ = 0;
    return n;
}

void TBuffer::SetBufSize(int groesse) {
    if (groesse <= 0) groesse = standardGroesse;
    int offen = std::min(Pending(), groesse);
    std::vector<char> neu(static_cast<std::size_t>(groesse));
    if (offen > 0) std::memcpy(neu.data(), daten_.data() + rd_, static_cast<std::size_t>(offen));
    daten_ = std::move(neu);
    rd_ = 0;
    wr_ = offen;
}
