#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// An off-screen surface of 32-bit pixels 0x00RRGGBB, rows top-down without padding.
// It keeps its contents until they are overwritten; only resize() allocates.
class Surface final {
public:
    Surface() = default;
    Surface(int32_t width, int32_t height) { resize(width, height); }

    // Remakes the surface at the new size, filled with colour 0.
    void resize(int32_t width, int32_t height) {
        w_ = width > 0 ? width : 0;
        h_ = height > 0 ? height : 0;
        px_.assign(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), 0u);
    }

    int32_t width() const { return w_; }
    int32_t height() const { return h_; }
    bool empty() const { return px_.empty(); }

    uint32_t* bits() { return px_.data(); }
    const uint32_t* bits() const { return px_.data(); }
    uint32_t* scanLine(int32_t y) { return px_.data() + static_cast<std::size_t>(y) * w_; }
    const uint32_t* scanLine(int32_t y) const {
        return px_.data() + static_cast<std::size_t>(y) * w_;
    }
    uint32_t pixel(int32_t x, int32_t y) const { return scanLine(y)[x]; }
    void setPixel(int32_t x, int32_t y, uint32_t c) { scanLine(y)[x] = c; }

private:
    int32_t w_ = 0;
    int32_t h_ = 0;
    std::vector<uint32_t> px_;
};
