// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawlog.h"
#include "blit.h"

#include <algorithm>

namespace {

// More rectangles than this become one around them all.
constexpr std::size_t maxRects = 16;

bool isEmpty(const TRect& r) {
    return r.w <= 0 || r.h <= 0;
}

int64_t area(const TRect& r) {
    return int64_t{r.w} * int64_t{r.h};
}

TRect intersect(const TRect& a, const TRect& b) {
    const int32_t x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int32_t x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

TRect hull(const TRect& a, const TRect& b) {
    const int32_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int32_t x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return {x0, y0, x1 - x0, y1 - y0};
}

// Adds r to the list, joining it to a rectangle that it touches without waste (neighbouring
// cells of a row or column), and keeping the list short.
void addRect(std::vector<TRect>& list, const TRect& r) {
    if (isEmpty(r)) return;
    for (TRect& e : list) {
        const TRect u = hull(e, r);
        if (area(u) <= area(e) + area(r)) {
            e = u;
            return;
        }
    }
    if (list.size() < maxRects) {
        list.push_back(r);
        return;
    }
    TRect u = r;
    for (const TRect& e : list) u = hull(u, e);
    list.assign(1, u);
}

} // namespace

void drawLogBeforeAccess(TDrawLog& drawLog, bool writing) {
    drawLog.beforeAccess(writing);
}

bool drawLogHoldsBack(const TDrawLog& drawLog) {
    return drawLog.holdsBack();
}

TDrawLog::TDrawLog() {
    dirty_.reserve(maxRects);
    changed_.reserve(maxRects);
}

TDrawLog::~TDrawLog() {
    release();
}

void TDrawLog::attach(Surface& target) {
    release();
    target_ = &target;
    target.log_ = this;
    markAllChanged();
}

void TDrawLog::release() {
    if (target_ != nullptr) target_->log_ = nullptr;
    target_ = nullptr;
    recorded_.clear();
    markAllChanged();
}

void TDrawLog::markAllChanged() {
    drawnValid_ = false;
    allChanged_ = true;
    changed_.clear();
}

void TDrawLog::fill(uint32_t colour) {
    if (target_ == nullptr) return;
    recorded_.push_back(
        {nullptr, 0, {0, 0, target_->width(), target_->height()}, 0, 0, colour, TKind::fill});
}

void TDrawLog::copy(const Surface& source, int32_t srcX, int32_t srcY, TRect target,
                    bool transparent, uint32_t key) {
    recorded_.push_back({&source, source.writeCount(), target, srcX, srcY, transparent ? key : 0,
                         transparent ? TKind::key : TKind::copy});
}

void TDrawLog::beforeAccess(bool writing) {
    catchUp();
    if (writing) markAllChanged(); // whatever is written, the next catch-up draws over all of it
}

void TDrawLog::execute(const TCommand& b, const TRect& region) {
    const TRect r = intersect(b.target, region);
    if (isEmpty(r)) return;
    if (b.kind == TKind::fill) {
        fillRect(*target_, r, b.colour);
        return;
    }
    copyRect(*b.source, b.srcX + (r.x - b.target.x), b.srcY + (r.y - b.target.y), *target_, r,
             b.kind == TKind::key, b.colour);
}

void TDrawLog::catchUp() {
    if (target_ == nullptr || recorded_.empty()) return;
    const TRect whole{0, 0, target_->width(), target_->height()};
    bool full = !drawnValid_;
    if (!full) {
        // Where the two lists differ, at the same place in the list or beyond the shorter
        // one, both the old and the new drawing must be drawn over.
        dirty_.clear();
        const std::size_t n = std::min(drawn_.size(), recorded_.size());
        for (std::size_t i = 0; i < n; ++i) {
            if (drawn_[i] == recorded_[i]) continue;
            addRect(dirty_, drawn_[i].target);
            addRect(dirty_, recorded_[i].target);
        }
        for (std::size_t i = n; i < drawn_.size(); ++i) addRect(dirty_, drawn_[i].target);
        for (std::size_t i = n; i < recorded_.size(); ++i) addRect(dirty_, recorded_[i].target);
        full = std::any_of(dirty_.begin(), dirty_.end(), [&](const TRect& r) {
            return area(intersect(r, whole)) == area(whole);
        });
    }
    // Drawn straight onto the surface, not back into this log.
    target_->log_ = nullptr;
    if (full) {
        for (const TCommand& b : recorded_) execute(b, whole);
        allChanged_ = true;
        changed_.clear();
    } else {
        for (const TCommand& b : recorded_) {
            for (const TRect& r : dirty_) execute(b, r);
        }
        if (!allChanged_) {
            for (const TRect& r : dirty_) addRect(changed_, intersect(r, whole));
        }
    }
    target_->log_ = this;
    std::swap(drawn_, recorded_);
    recorded_.clear();
    drawnValid_ = true;
}

bool TDrawLog::takeChanges(std::vector<TRect>& rects) {
    catchUp();
    rects.clear();
    const bool whole = allChanged_;
    if (!whole) rects.assign(changed_.begin(), changed_.end());
    allChanged_ = false;
    changed_.clear();
    return whole;
}
