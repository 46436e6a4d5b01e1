// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "zeiger.h"
#include <cstdint>

// The pixel grid of a frame: 16-pixel cells inside a frame 12 pixels wide on the left,
// the right and at the bottom and 55 pixels high at the top. Everything that places a
// sprite or maps the pointer takes its geometry from here. W columns, H rows.

constexpr int32_t zellGroesse = 16;
constexpr int32_t rahmenLinks = 12;
constexpr int32_t rahmenRechts = 12;
constexpr int32_t rahmenOben = 55;
constexpr int32_t rahmenUnten = 12;

struct TPunkt {
    int32_t x;
    int32_t y;
    friend constexpr bool operator==(TPunkt, TPunkt) = default;
};

constexpr int32_t clientBreite(int32_t W) {
    return W * zellGroesse + rahmenLinks + rahmenRechts;
}
constexpr int32_t clientHoehe(int32_t H) {
    return H * zellGroesse + rahmenOben + rahmenUnten;
}

// Cell (x, y), both from 1.
constexpr TPunkt zellPos(int32_t x, int32_t y) {
    return {(x - 1) * zellGroesse + rahmenLinks, (y - 1) * zellGroesse + rahmenOben};
}

// Frame pieces: i is a column 1..W, j a row 1..H.
constexpr TPunkt obenLinksPos() {
    return {0, 0};
}
constexpr TPunkt obenPos(int32_t i) {
    return {(i - 1) * zellGroesse + rahmenLinks, 0};
}
constexpr TPunkt obenRechtsPos(int32_t W) {
    return {W * zellGroesse + rahmenLinks, 0};
}
constexpr TPunkt linksPos(int32_t j) {
    return {0, (j - 1) * zellGroesse + rahmenOben};
}
constexpr TPunkt rechtsPos(int32_t W, int32_t j) {
    return {W * zellGroesse + rahmenLinks, (j - 1) * zellGroesse + rahmenOben};
}
constexpr TPunkt untenLinksPos(int32_t H) {
    return {0, H * zellGroesse + rahmenOben};
}
constexpr TPunkt untenPos(int32_t i, int32_t H) {
    return {(i - 1) * zellGroesse + rahmenLinks, H * zellGroesse + rahmenOben};
}
constexpr TPunkt untenRechtsPos(int32_t W, int32_t H) {
    return {W * zellGroesse + rahmenLinks, H * zellGroesse + rahmenOben};
}

// Counters: the box, and its places 0 (hundreds or minus sign), 1 (tens), 2 (units).
constexpr TPunkt minenAnzeigePos() {
    return {16, 15};
}
constexpr TPunkt minenStellePos(int32_t stelle) {
    return {17 + 13 * stelle, 16};
}
constexpr TPunkt zeitAnzeigePos(int32_t W) {
    return {W * zellGroesse - 35, 15};
}
constexpr TPunkt zeitStellePos(int32_t W, int32_t stelle) {
    return {W * zellGroesse - 34 + 13 * stelle, 16};
}

constexpr TPunkt gesichtPos(int32_t W) {
    return {W * 8 - 1, 15};
}

// Level 5 only: the banner, and the win overlay of a PW x PH picture centred on a
// DW x DH surface (division truncating toward zero).
constexpr TPunkt bannerPos() {
    return {100, 10};
}
constexpr TPunkt overlayPos(int32_t DW, int32_t DH, int32_t PW, int32_t PH) {
    return {DW / 2 - PW / 2, DH / 2 - PH / 2};
}

// Hit areas, all comparisons strict. The face's box is 24 x 24 inside its 26 x 26 picture.
constexpr bool gesichtGetroffen(int32_t W, int32_t px, int32_t py) {
    return px > W * 8 - 2 && px < W * 8 + 23 && py > 15 && py < 40;
}
constexpr bool feldGetroffen(int32_t W, int32_t H, int32_t px, int32_t py) {
    return px > 11 && px < W * zellGroesse + 12 && py > 54 && py < H * zellGroesse + 55;
}

// Column and row under the pointer, truncating toward zero; meaningful only inside the
// field. Worked in 64 bits so that no pointer position can overflow.
constexpr int32_t spalteBei(int32_t px) {
    return static_cast<int32_t>((static_cast<int64_t>(px) - rahmenLinks) / zellGroesse + 1);
}
constexpr int32_t zeileBei(int32_t py) {
    return static_cast<int32_t>((static_cast<int64_t>(py) - rahmenOben) / zellGroesse + 1);
}

// What lies under the pointer at (px, py) on a board of W x H: the cell and the hit areas.
constexpr TZeigerOrt zeigerOrt(int32_t W, int32_t H, int32_t px, int32_t py) {
    return {spalteBei(px), zeileBei(py), feldGetroffen(W, H, px, py), gesichtGetroffen(W, px, py)};
}
