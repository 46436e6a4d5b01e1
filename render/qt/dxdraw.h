// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "drawlog.h"
#include "surface.h"

#include <QImage>
#include <QWidget>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when the drawing surface cannot make its surfaces, e.g. "Surface cannot be made".
class EDXDrawError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Shift state of mouse and key events, a set of these flags.
enum TShiftFlag : int {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};

// The largest back surface it makes; anything beyond is refused, not attempted.
constexpr int32_t maxSurfaceSide = 16384;
constexpr int64_t maxSurfacePixels = int64_t{1} << 26;

// The drawing surface: a widget that owns a back surface of its own size and shows it.
// It is initialised when it is first shown; before that, and after a failed
// initialisation or ReleaseSurfaces, Surface() is null and ShowFrame does nothing.
// Its mouse and key events go to the handlers below, in client coordinates, with
// buttons 0 left, 1 right, 2 middle and keys as virtual-key numbers (27 Escape,
// 112 F1, ...). Handlers that are not set are not called.
class TDXDraw final : public QWidget {
    Q_OBJECT

public:
    explicit TDXDraw(QWidget* parent = nullptr);

    // The back surface for FillSurface and DrawSprite; null while not initialised.
    // Its size follows the widget's: a new size remakes it, filled black. Fills and
    // copies onto it are drawn when it is flushed or written otherwise, at the latest by
    // ShowFrame or a repaint, and only where they change the picture; the sprites must
    // stay as they are until then.
    ::Surface* Surface();
    // The back surface as it stands, initialised or not (for inspection).
    const ::Surface& BackSurface() const { return back_; }

    bool Initialized() const { return initialized_; }
    // Makes the back surface at the widget's size, filled black, and marks the component
    // initialised. Runs by itself on the first showing. Throws EDXDrawError on failure,
    // leaving the component released.
    void InitSurfaces();
    // Marks the component released; Surface() is null from then on.
    void ReleaseSurfaces();

    // Waits for the screen's next refresh (with WaitVBlank) and shows the back surface;
    // the frame is on the screen when it returns. Only what changed since the last frame
    // shown goes to the window, and a frame that changed nothing sends nothing; the window
    // system's repaints show the whole last frame.
    void ShowFrame();

    // Whether ShowFrame waits for the next refresh of the screen.
    bool WaitVBlank() const { return waitVBlank_; }
    void SetWaitVBlank(bool value) { waitVBlank_ = value; }
    // The refresh interval ShowFrame keeps to: the screen's unless one is set (> 0).
    std::chrono::nanoseconds CurrentRefreshInterval() const;
    void SetRefreshInterval(std::chrono::nanoseconds interval) { refreshOverride_ = interval; }

    std::function<void(QObject* Sender, int Shift, int32_t X, int32_t Y)> OnMouseMove;
    std::function<void(QObject* Sender, int Button, int Shift, int32_t X, int32_t Y)> OnMouseDown;
    std::function<void(QObject* Sender, int Button, int Shift, int32_t X, int32_t Y)> OnMouseUp;
    std::function<void(QObject* Sender, int Key, int Shift)> OnKeyDown;
    // Asked when the window system wants the picture, before the back surface is shown:
    // true when it has composed a new frame there, which then goes to the window whole.
    std::function<bool(QObject* Sender)> OnPaint;
    // Told when the automatic initialisation or a remake on resizing failed; the
    // component stays released then.
    std::function<void(QObject* Sender, const std::string& Message)> OnError;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void makeSurface(int32_t w, int32_t h);
    void followSize();
    void waitForRefresh();
    void reportError(const std::string& message);

    ::Surface back_;
    TDrawLog log_;               // holds back_'s drawing; after back_, so it goes first
    QImage image_;               // over back_'s memory, remade with it
    std::vector<TRect> changed_; // kept from frame to frame: no allocation
    bool initialized_ = false;
    bool attempted_ = false;
    bool waitVBlank_ = true;
    std::chrono::nanoseconds refreshOverride_{0};
    std::chrono::steady_clock::time_point phase_{};
    bool phaseSet_ = false;
};
