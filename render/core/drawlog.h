// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "surface.h"

#include <cstdint>
#include <vector>

// Holds back the fills and sprite copies meant for one surface and draws them when its
// pixels are next looked at. Drawing the same list of fills and copies a second time
// changes nothing (each one sets a pixel to a value of its own or leaves it as it is), so
// catching up draws only where this list differs from the one drawn before, and only
// there has the picture changed: a frame composed anew every tick costs next to nothing
// while it stands still. Any other write to the surface makes the next catch-up draw
// everything. Once its lists have grown to the size of a frame it allocates nothing.
class TDrawLog final {
public:
    TDrawLog();
    ~TDrawLog();
    TDrawLog(const TDrawLog&) = delete;
    TDrawLog& operator=(const TDrawLog&) = delete;

    // Takes over the drawing onto `target`, letting go of a surface it had before; the whole
    // surface counts as changed. The sources of the copies must stay as they are until
    // they have been drawn, as sprite surfaces do.
    void attach(Surface& target);
    // Lets go of the surface, which is being thrown away: what it holds back is dropped.
    void release();

    // From FillSurface and DrawSprite: a fill of the whole surface, and a copy from
    // (srcX, srcY) of `source` to `target`, both rectangles already clipped to their surfaces.
    void fill(uint32_t colour);
    void copy(const Surface& source, int32_t srcX, int32_t srcY, TRect target, bool transparent,
              uint32_t key);

    // Draws what it holds, where that changes the picture.
    void catchUp();
    // Whether it holds fills or copies not drawn yet.
    bool holdsBack() const { return target_ != nullptr && !recorded_.empty(); }

    // Catches up, then tells what changed since the last call: true for the whole surface,
    // else the changed rectangles in `rects` (cleared first; they may overlap).
    bool takeChanges(std::vector<TRect>& rects);

    // For Surface: before its pixels are read or written.
    void beforeAccess(bool writing);

private:
    enum class TKind : uint8_t { fill, copy, key };
    struct TCommand {
        const Surface* source; // null for a fill
        uint64_t sourceWrites; // the source's count of writes when recorded
        TRect target;
        int32_t srcX, srcY;
        uint32_t colour; // fill colour or colour key
        TKind kind;

        bool operator==(const TCommand&) const = default;
    };

    void execute(const TCommand& b, const TRect& region);
    void markAllChanged();

    Surface* target_ = nullptr;
    std::vector<TCommand> recorded_; // recorded since the last catch-up
    std::vector<TCommand> drawn_;    // drawn by the last catch-up
    bool drawnValid_ = false;        // the surface holds what drawing drawn_ again would leave
    std::vector<TRect> dirty_;       // where recorded_ and drawn_ differ, while catching up
    std::vector<TRect> changed_;
    bool allChanged_ = true;
};
