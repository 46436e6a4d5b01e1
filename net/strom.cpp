// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "strom.h"

#include <algorithm>
#include <cstring>

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    std::size_t platz = position_ < grenze_ ? grenze_ - position_ : 0;
    std::size_t genommen = std::min(count, platz);
    if (genommen < count) abgeschnitten_ = true;
    if (genommen == 0) return 0;
    if (position_ + genommen > daten_.size()) daten_.resize(position_ + genommen);
    std::memcpy(daten_.data() + position_, buffer, genommen);
    position_ += genommen;
    return genommen;
}

void TMemoryStream::SetPosition(std::size_t position) {
    position_ = std::min(position, daten_.size());
}

void TMemoryStream::Clear() {
    daten_.clear();
    position_ = 0;
    abgeschnitten_ = false;
}
