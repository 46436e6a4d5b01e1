// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "stream.h"

#include <algorithm>
#include <cstring>

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    std::size_t room = position_ < limit_ ? limit_ - position_ : 0;
    std::size_t taken = std::min(count, room);
    if (taken < count) truncated_ = true;
    if (taken == 0) return 0;
    if (position_ + taken > data_.size()) data_.resize(position_ + taken);
    std::memcpy(data_.data() + position_, buffer, taken);
    position_ += taken;
    return taken;
}

void TMemoryStream::SetPosition(std::size_t position) {
    position_ = std::min(position, data_.size());
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
    truncated_ = false;
}
