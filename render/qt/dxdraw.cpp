// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dxdraw.h"
#include "maustaste.h"
#include "refresh.h"
#include "virtualkey.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QtMath>
#include <algorithm>
#include <new>
#include <thread>
#include <utility>

namespace {

int shiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

// The game's button numbers; -1 for the buttons it has no use for.
int buttonNumber(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return mbLinks;
    case Qt::RightButton:
        return mbRechts;
    case Qt::MiddleButton:
        return mbMitte;
    default:
        return -1;
    }
}

// An image that only looks at the surface's memory: painting it copies nothing, and
// reading through it never counts as a write to the surface.
QImage imageOver(const Surface& s) {
    return QImage(reinterpret_cast<const uchar*>(s.bits()), s.width(), s.height(), s.width() * 4,
                  QImage::Format_RGB32);
}

int32_t pixelX(const QMouseEvent* event) {
    return qFloor(event->position().x());
}
int32_t pixelY(const QMouseEvent* event) {
    return qFloor(event->position().y());
}

} // namespace

TDXDraw::TDXDraw(QWidget* parent) : QWidget(parent) {
    // The paint event covers every pixel itself; the toolkit need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

::Surface* TDXDraw::Surface() {
    followSize();
    return initialized_ ? &back_ : nullptr;
}

void TDXDraw::makeSurface(int32_t w, int32_t h) {
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (w > maxSurfaceSide || h > maxSurfaceSide || int64_t{w} * int64_t{h} > maxSurfacePixels) {
        throw EDXDrawError("Surface cannot be made");
    }
    image_ = QImage();
    log_.release();
    try {
        back_.resize(w, h); // filled with colour 0, black
    } catch (const std::bad_alloc&) {
        back_ = ::Surface();
        throw EDXDrawError("Surface cannot be made");
    }
    log_.attach(back_); // the first frame on it goes out whole
    image_ = imageOver(back_);
}

void TDXDraw::InitSurfaces() {
    if (initialized_) ReleaseSurfaces();
    attempted_ = true;
    try {
        makeSurface(width(), height());
    } catch (...) {
        ReleaseSurfaces();
        throw;
    }
    initialized_ = true;
    phaseSet_ = false;
}

void TDXDraw::ReleaseSurfaces() {
    initialized_ = false;
    image_ = QImage();
    log_.release();
    back_ = ::Surface();
}

void TDXDraw::followSize() {
    if (!initialized_) return; // InitSurfaces takes the size then
    const int32_t w = std::max(width(), 1);
    const int32_t h = std::max(height(), 1);
    if (w == back_.width() && h == back_.height()) return;
    try {
        makeSurface(w, h);
    } catch (const EDXDrawError& e) {
        ReleaseSurfaces();
        reportError(e.what());
    }
}

void TDXDraw::reportError(const std::string& message) {
    if (OnError) OnError(this, message);
}

std::chrono::nanoseconds TDXDraw::CurrentRefreshInterval() const {
    if (refreshOverride_.count() > 0) return refreshOverride_;
    const QScreen* s = screen();
    return RefreshInterval(s != nullptr ? s->refreshRate() : 0.0);
}

void TDXDraw::waitForRefresh() {
    const auto now = std::chrono::steady_clock::now();
    if (!phaseSet_) {
        phase_ = now;
        phaseSet_ = true;
    }
    // Sleeping, not spinning: the thread gives the core away until the refresh.
    std::this_thread::sleep_until(NextRefresh(phase_, now, CurrentRefreshInterval()));
}

void TDXDraw::ShowFrame() {
    if (!initialized_) return;
    followSize();
    if (!initialized_) return;
    // Drawn and found before the wait, so the changes go out right after the refresh.
    const bool whole = log_.takeChanges(changed_);
    if (waitVBlank_) waitForRefresh();
    // At once (repaint, not update), so the frame is on the screen when this returns.
    if (whole) {
        repaint();
    } else if (!changed_.empty()) {
        QRegion region;
        for (const TRect& r : changed_) region += QRect(r.x, r.y, r.w, r.h);
        repaint(region);
    }
}

void TDXDraw::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (attempted_) return; // a failed attempt is not repeated
    try {
        InitSurfaces();
    } catch (const std::exception& e) {
        reportError(e.what());
    }
}

void TDXDraw::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    followSize();
}

void TDXDraw::paintEvent(QPaintEvent* event) {
    if (initialized_ && OnPaint && OnPaint(this)) {
        // Composed just now: what lies beyond the region asked for is stale on the screen.
        log_.takeChanges(changed_);
        const QRegion rest = QRegion(rect()) - event->region();
        if (!rest.isEmpty()) update(rest);
    }
    QPainter p(this);
    if (!initialized_ || back_.empty()) {
        p.fillRect(event->rect(), Qt::black);
        return;
    }
    // The window reads the pixels: what the log holds back is drawn first. Someone may also
    // have remade the surface behind our back; then look at its memory again.
    back_.flush();
    if (image_.constBits() != reinterpret_cast<const uchar*>(std::as_const(back_).bits()) ||
        image_.width() != back_.width() || image_.height() != back_.height()) {
        image_ = imageOver(back_);
    }
    // Scaled by the device pixel ratio without smoothing: crisp pixels on HiDPI screens.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const QRect& r : event->region()) {
        if (!image_.rect().contains(r)) p.fillRect(r, Qt::black);
        const QRect source = r.intersected(image_.rect());
        if (!source.isEmpty()) p.drawImage(source.topLeft(), image_, source);
    }
}

void TDXDraw::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) {
        OnMouseMove(this, shiftState(event->modifiers(), event->buttons()), pixelX(event),
                    pixelY(event));
    }
}

void TDXDraw::mousePressEvent(QMouseEvent* event) {
    const int button = buttonNumber(event->button());
    if (button >= 0 && OnMouseDown) {
        OnMouseDown(this, button, shiftState(event->modifiers(), event->buttons()), pixelX(event),
                    pixelY(event));
    }
}

void TDXDraw::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press like any other, marked as double.
    const int button = buttonNumber(event->button());
    if (button >= 0 && OnMouseDown) {
        OnMouseDown(this, button, shiftState(event->modifiers(), event->buttons()) | ssDouble,
                    pixelX(event), pixelY(event));
    }
}

void TDXDraw::mouseReleaseEvent(QMouseEvent* event) {
    const int button = buttonNumber(event->button());
    if (button >= 0 && OnMouseUp) {
        OnMouseUp(this, button, shiftState(event->modifiers(), event->buttons()), pixelX(event),
                  pixelY(event));
    }
}

void TDXDraw::keyPressEvent(QKeyEvent* event) {
    const int key = WindowsVirtualKey(event->key(), event->modifiers());
    if (key == 0 || !OnKeyDown) {
        QWidget::keyPressEvent(event); // passed on to the window
        return;
    }
    OnKeyDown(this, key, shiftState(event->modifiers(), Qt::NoButton));
    event->accept();
}
