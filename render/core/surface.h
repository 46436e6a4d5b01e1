// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// A rectangle of pixels, (x, y) its top-left corner; empty unless w and h are positive.
struct TRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;

    bool operator==(const TRect&) const = default;
};

class TDrawLog;
// Has the log draw what it holds, when the surface is flushed or before it is written;
// after a write it draws everything again next time (drawlog.cpp).
void drawLogBeforeAccess(TDrawLog& drawLog, bool writing);
// Whether the log holds fills or copies it has not drawn yet.
bool drawLogHoldsBack(const TDrawLog& drawLog);

// An off-screen surface of 32-bit pixels 0x00RRGGBB, rows top-down without padding.
// It keeps its contents until they are overwritten; only resize() allocates.
// A drawing log may hold back the fills and copies meant for it (drawlog.h).
// flush() has it draw them; a way in for writing does so first by itself, so that the
// writes land in order. Reading does not: whoever reads a surface with a log flushes it
// first, and the pixels then read as if each fill and copy had been drawn at once.
class Surface final {
public:
    Surface() = default;
    Surface(int32_t width, int32_t height) { resize(width, height); }
    // A copy takes the pixels as they stand; a log stays with the surface it was given.
    Surface(const Surface& other) { *this = other; }
    Surface(Surface&& other) noexcept { *this = std::move(other); }
    Surface& operator=(const Surface& other) {
        if (this == &other) return *this;
        other.assertDrawn();
        beforeWrite();
        w_ = other.w_;
        h_ = other.h_;
        px_ = other.px_;
        return *this;
    }
    Surface& operator=(Surface&& other) noexcept {
        if (this == &other) return *this;
        other.beforeWrite(); // its pixels leave it
        beforeWrite();
        w_ = std::exchange(other.w_, 0);
        h_ = std::exchange(other.h_, 0);
        px_ = std::move(other.px_);
        other.px_.clear();
        return *this;
    }

    // Remakes the surface at the new size, filled with colour 0.
    void resize(int32_t width, int32_t height) {
        beforeWrite();
        w_ = width > 0 ? width : 0;
        h_ = height > 0 ? height : 0;
        px_.assign(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), 0u);
    }

    int32_t width() const { return w_; }
    int32_t height() const { return h_; }
    bool empty() const { return px_.empty(); }

    // Has the drawing log draw what it holds back, so that the pixels are the picture.
    void flush() {
        if (log_ != nullptr) [[unlikely]]
            drawLogBeforeAccess(*log_, false);
    }

    // The way in for writing: flushes first and counts as a write.
    uint32_t* bits() {
        beforeWrite();
        return px_.data();
    }
    // The pixels as they stand; flush() first when a log may hold drawing back.
    const uint32_t* bits() const {
        assertDrawn();
        return px_.data();
    }
    uint32_t* scanLine(int32_t y) { return bits() + static_cast<std::size_t>(y) * w_; }
    const uint32_t* scanLine(int32_t y) const { return bits() + static_cast<std::size_t>(y) * w_; }
    uint32_t pixel(int32_t x, int32_t y) const { return scanLine(y)[x]; }
    void setPixel(int32_t x, int32_t y, uint32_t c) { scanLine(y)[x] = c; }

    // Counts the ways in to its pixels for writing: while it stands still, a copy from
    // this surface copies the same pixels as before.
    uint64_t writeCount() const { return writes_; }
    // The log that holds back its fills and copies; null while they are drawn at once.
    TDrawLog* drawLog() const { return log_; }

private:
    friend class TDrawLog;

    // A read must not meet drawing held back: it would see an older picture.
    void assertDrawn() const { assert(log_ == nullptr || !drawLogHoldsBack(*log_)); }
    void beforeWrite() {
        ++writes_;
        if (log_ != nullptr) [[unlikely]]
            drawLogBeforeAccess(*log_, true);
    }

    int32_t w_ = 0;
    int32_t h_ = 0;
    std::vector<uint32_t> px_;
    uint64_t writes_ = 0;
    TDrawLog* log_ = nullptr;
};
