#pragma once

// While at least one of these lives, the frame timer fires no ticks. A synchronous
// network call holds one while it pumps the event loop itself, because that pump must
// not run frames in the middle of the caller's code.
class TLeerlaufSperre {
public:
    TLeerlaufSperre();
    ~TLeerlaufSperre();
    TLeerlaufSperre(const TLeerlaufSperre&) = delete;
    TLeerlaufSperre& operator=(const TLeerlaufSperre&) = delete;

    // Whether a guard lives at the moment.
    static bool aktiv();
};
