// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A byte sink the caller owns; the HTTP client appends each body block with one Write.
class TStream {
public:
    virtual ~TStream() = default;
    // Writes count bytes at the current position and returns how many were taken.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
};

// A stream in memory that never grows beyond its limit: bytes past it are dropped, so a
// server pouring an endless answer cannot eat the caller's memory.
class TMemoryStream final : public TStream {
public:
    static constexpr std::size_t defaultLimit = 64 * 1024;

    explicit TMemoryStream(std::size_t limit = defaultLimit) : limit_(limit) {}

    std::size_t Write(const void* buffer, std::size_t count) override;

    // All bytes held, from the start, whatever the position.
    std::string_view Data() const { return data_; }
    std::size_t Size() const { return data_.size(); }
    // Positions beyond the end are moved to the end.
    void SetPosition(std::size_t position);
    void Clear();

    std::size_t Limit() const { return limit_; }
    // True once a write had to drop bytes at the limit.
    bool Truncated() const { return truncated_; }

private:
    std::string data_;
    std::size_t position_ = 0;
    std::size_t limit_;
    bool truncated_ = false;
};
