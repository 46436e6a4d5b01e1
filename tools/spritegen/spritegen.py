#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the game's 43 sprite bitmaps, the about box icon and the application icons.

    python3 tools/spritegen/spritegen.py [OUTPUT_DIR]      (default: assets/)

The small pictures come from the pixel grids in assets/src/ and from the drawing
code below; the frame pieces are cut from one frame drawn from its geometry, so they
join for every board size. The output is deterministic: running it twice gives the
same bytes.
"""

import os
import struct
import sys
import zlib

HIER = os.path.dirname(os.path.abspath(__file__))
WURZEL = os.path.normpath(os.path.join(HIER, "..", ".."))
QUELLEN = os.path.join(WURZEL, "assets", "src")

# The classic 16 colours, in their usual palette order.
KLASSISCH = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
SCHWARZ, DUNKELROT, GRUEN, DUNKELGELB = 0x000000, 0x800000, 0x008000, 0x808000
DUNKELBLAU, LILA, DUNKELCYAN, HELLGRAU = 0x000080, 0x800080, 0x008080, 0xC0C0C0
DUNKELGRAU, ROT, GELB, BLAU, MAGENTA, WEISS = 0x808080, 0xFF0000, 0xFFFF00, 0x0000FF, 0xFF00FF, 0xFFFFFF
SCHLUESSEL = 0xBFBFBF  # transparent colour of the two large pictures
DURCHSICHTIG = None  # a transparent pixel, for the application icons only

ZAHLFARBEN = {1: BLAU, 2: GRUEN, 3: ROT, 4: DUNKELBLAU, 5: DUNKELROT, 6: DUNKELCYAN,
              7: LILA, 8: SCHWARZ}


# ---------------------------------------------------------------- pictures


class Bild:
    """A picture of 0xRRGGBB pixels, rows top-down."""

    def __init__(self, w, h, farbe=0):
        self.w, self.h = w, h
        self.px = [[farbe] * w for _ in range(h)]

    def setze(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def hole(self, x, y):
        return self.px[y][x]

    def kopie(self):
        b = Bild(self.w, self.h)
        b.px = [zeile[:] for zeile in self.px]
        return b

    def ausschnitt(self, x0, y0, w, h):
        b = Bild(w, h)
        b.px = [self.px[y][x0:x0 + w] for y in range(y0, y0 + h)]
        return b

    def einsetzen(self, anderes, x0, y0):
        for y in range(anderes.h):
            for x in range(anderes.w):
                self.setze(x0 + x, y0 + y, anderes.px[y][x])


def grids_lesen(datei):
    """Reads the "= name" sections of a grid file into lists of rows."""
    grids, name = {}, None
    with open(os.path.join(QUELLEN, datei), encoding="utf-8") as f:
        for zeile in f:
            zeile = zeile.rstrip("\n")
            if zeile.startswith("# "):
                continue
            if zeile.startswith("= "):
                name = zeile[2:].strip()
                grids[name] = []
            elif zeile.strip() and name is not None:
                grids[name].append(zeile.strip())
    for name, zeilen in grids.items():
        if len({len(z) for z in zeilen}) != 1:
            raise SystemExit(f"{datei}: rows of '{name}' differ in width")
    return grids


def grid_malen(bild, grid, x0, y0, farben):
    """Paints a grid; characters missing from `farben` leave the picture alone."""
    for y, zeile in enumerate(grid):
        for x, ch in enumerate(zeile):
            if ch in farben:
                bild.setze(x0 + x, y0 + y, farben[ch])


# ---------------------------------------------------------------- bevels


def kante(x, y, x0, y0, x1, y1, n, hell, dunkel):
    """Colour of (x, y) in an n-pixel bevel of the rectangle x0..x1, y0..y1, or None
    inside it and outside. `hell` runs along the top and left, `dunkel` along the
    bottom and right; at the upper right and lower left corner they meet on the
    diagonal, the diagonal pixels themselves belonging to the top or left edge."""
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return None
    dl, dt, dr, db = x - x0, y - y0, x1 - x, y1 - y
    oben_links = dl < n or dt < n
    unten_rechts = dr < n or db < n
    if not oben_links and not unten_rechts:
        return None
    if dt < n and dr < n:
        return hell if dt <= dr else dunkel
    if dl < n and db < n:
        return hell if dl <= db else dunkel
    return hell if oben_links else dunkel


def bevel_malen(bild, x0, y0, x1, y1, n, hell, dunkel):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            c = kante(x, y, x0, y0, x1, y1, n, hell, dunkel)
            if c is not None:
                bild.setze(x, y, c)


# ---------------------------------------------------------------- the frame


def rahmen(breite, hoehe):
    """The whole client area's frame of a W x H board, the field left light grey."""
    w, h = breite * 16 + 24, hoehe * 16 + 67
    b = Bild(w, h, HELLGRAU)
    # raised outer rim
    bevel_malen(b, 0, 0, w - 1, h - 1, 3, WEISS, DUNKELGRAU)
    # sunken panel of the top strip: rows 9..45, x 9..W*16+14
    bevel_malen(b, 9, 9, breite * 16 + 14, 45, 2, DUNKELGRAU, WEISS)
    # sunken well around the field
    bevel_malen(b, 9, 52, breite * 16 + 14, hoehe * 16 + 57, 3, DUNKELGRAU, WEISS)
    return b


def rahmenteile():
    """Cuts the eight pieces from one frame and checks that a frame of another size
    yields the very same pieces, which is what lets them tile for every W and H."""
    def teile(bw, bh):
        r = rahmen(bw, bh)
        rx, uy = bw * 16 + 12, bh * 16 + 55
        return {
            "lo": r.ausschnitt(0, 0, 12, 55),
            "mo": r.ausschnitt(12, 0, 16, 55),
            "ro": r.ausschnitt(rx, 0, 12, 55),
            "li": r.ausschnitt(0, 55, 12, 16),
            "re": r.ausschnitt(rx, 55, 12, 16),
            "lu": r.ausschnitt(0, uy, 12, 12),
            "mu": r.ausschnitt(12, uy, 16, 12),
            "ru": r.ausschnitt(rx, uy, 12, 12),
        }

    a = teile(8, 8)
    b = teile(72, 56)
    for name in a:
        if a[name].px != b[name].px:
            raise SystemExit(f"frame piece {name} depends on the board size")
    # every repeated piece must be the same wherever it repeats
    gross = rahmen(11, 9)
    for i in range(11):
        if gross.ausschnitt(12 + 16 * i, 0, 16, 55).px != a["mo"].px:
            raise SystemExit("mo is not the same over every column")
        if gross.ausschnitt(12 + 16 * i, 9 * 16 + 55, 16, 12).px != a["mu"].px:
            raise SystemExit("mu is not the same under every column")
    for j in range(9):
        if gross.ausschnitt(0, 55 + 16 * j, 12, 16).px != a["li"].px:
            raise SystemExit("li is not the same beside every row")
    return a


# ---------------------------------------------------------------- counter digits

# Seven segments a (top), b (upper right), c (lower right), d (bottom), e (lower
# left), f (upper left), g (middle) of a 13 x 23 place, each a list of pixels.
def segmente():
    s = {k: [] for k in "abcdefg"}
    for i, (x0, x1) in enumerate([(2, 10), (3, 9), (4, 8)]):
        s["a"] += [(x, 1 + i) for x in range(x0, x1 + 1)]
        s["d"] += [(x, 21 - i) for x in range(x0, x1 + 1)]
    for y, (x0, x1) in zip((10, 11, 12), [(3, 9), (2, 10), (3, 9)]):
        s["g"] += [(x, y) for x in range(x0, x1 + 1)]
    for i, (y0, y1) in enumerate([(2, 10), (3, 9), (4, 8)]):
        s["f"] += [(1 + i, y) for y in range(y0, y1 + 1)]
        s["b"] += [(11 - i, y) for y in range(y0, y1 + 1)]
    for i, (y0, y1) in enumerate([(12, 20), (13, 19), (14, 18)]):
        s["e"] += [(1 + i, y) for y in range(y0, y1 + 1)]
        s["c"] += [(11 - i, y) for y in range(y0, y1 + 1)]
    return s


LEUCHTEN = {
    "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg", "5": "acdfg",
    "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg", "-": "g",
}


def ziffer(zeichen):
    b = Bild(13, 23, SCHWARZ)
    an = LEUCHTEN[zeichen]
    for name, pixel in segmente().items():
        for x, y in pixel:
            if name in an:
                b.setze(x, y, ROT)
            elif (x + y) % 2 == 0:
                b.setze(x, y, DUNKELROT)  # dotted, so the unlit places stay visible
    return b


def anzeige():
    b = Bild(41, 25, SCHWARZ)
    for x in range(41):
        b.setze(x, 0, DUNKELGRAU)
        b.setze(x, 24, WEISS)
    for y in range(25):
        b.setze(0, y, DUNKELGRAU)
        b.setze(40, y, WEISS)
    b.setze(40, 0, DUNKELGRAU)
    b.setze(0, 24, DUNKELGRAU)
    for i in range(3):
        b.einsetzen(ziffer("0"), 1 + 13 * i, 1)
    return b


# ---------------------------------------------------------------- cells


def flach():
    """The uncovered cell: light grey with a dotted black grid line right and below."""
    b = Bild(16, 16, HELLGRAU)
    for i in range(16):
        if (15 + i) % 2 == 0:
            b.setze(15, i, SCHWARZ)
            b.setze(i, 15, SCHWARZ)
    return b


def hoch():
    """The covered cell: raised, white above and left, dark grey and black below and right."""
    b = Bild(16, 16, HELLGRAU)
    bevel_malen(b, 0, 0, 15, 15, 2, WEISS, DUNKELGRAU)
    for i in range(16):
        if b.hole(15, i) == DUNKELGRAU:
            b.setze(15, i, SCHWARZ)
        if b.hole(i, 15) == DUNKELGRAU:
            b.setze(i, 15, SCHWARZ)
    return b


def zelle_mit(grund, grid, x0, y0, farben):
    b = grund.kopie()
    grid_malen(b, grid, x0, y0, farben)
    return b


def mit_mine(grund, zeichen):
    return zelle_mit(grund, zeichen["mine"], 0, 0, {"k": SCHWARZ, "w": WEISS})


def rote_mine(zeichen):
    b = flach()
    for y in range(15):
        for x in range(15):
            b.setze(x, y, ROT)
    return mit_mine(b, zeichen)


def rotes_kreuz():
    b = flach()
    for y in range(2, 13):
        for x in range(2, 13):
            if x - y in (0, 1) or x + y in (13, 14):
                b.setze(x, y, ROT)
    # a darker underside lifts the cross off the background
    for y in range(2, 13):
        for x in range(2, 13):
            if b.hole(x, y) == ROT and y + 1 <= 13 and b.hole(x, y + 1) == HELLGRAU:
                if x - (y + 1) not in (0, 1) and x + (y + 1) not in (13, 14):
                    b.setze(x, y + 1, DUNKELROT)
    return b


# ---------------------------------------------------------------- faces


def scheibe(b, x0, y0):
    """A yellow disc with a black rim, 17 x 17, its top-left corner at (x0, y0)."""
    def innen(x, y):
        return (x - 8) ** 2 + (y - 8) ** 2 <= 8.4 ** 2

    for y in range(17):
        for x in range(17):
            if innen(x, y):
                rand = not all(innen(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                b.setze(x0 + x, y0 + y, SCHWARZ if rand else GELB)


def lachen(b, x0, y0):
    for x, y in ((4, 10), (12, 10), (5, 11), (11, 11), (6, 12), (7, 12), (8, 12), (9, 12), (10, 12)):
        b.setze(x0 + x, y0 + y, SCHWARZ)


def augen(b, x0, y0, hoehe=2):
    for ax in (5, 10):
        for dx in (0, 1):
            for y in range(7 - hoehe, 7):
                b.setze(x0 + ax + dx, y0 + y, SCHWARZ)


def gesicht(art, gedrueckt=False):
    b = Bild(26, 26, HELLGRAU)
    for i in range(26):
        for (x, y) in ((i, 0), (i, 25), (0, i), (25, i)):
            b.setze(x, y, DUNKELGRAU)
    if gedrueckt:
        bevel_malen(b, 1, 1, 24, 24, 2, DUNKELGRAU, WEISS)
    else:
        bevel_malen(b, 1, 1, 24, 24, 2, WEISS, DUNKELGRAU)
    x0 = y0 = 5 if gedrueckt else 4
    scheibe(b, x0, y0)
    if art == "normal":
        augen(b, x0, y0)
        lachen(b, x0, y0)
    elif art == "verloren":
        for ax in (4, 10):
            for i in range(3):
                b.setze(x0 + ax + i, y0 + 4 + i, SCHWARZ)
                b.setze(x0 + ax + 2 - i, y0 + 4 + i, SCHWARZ)
        for x, y in ((6, 11), (7, 11), (8, 11), (9, 11), (10, 11), (5, 12), (11, 12), (4, 13), (12, 13)):
            b.setze(x0 + x, y0 + y, SCHWARZ)
    elif art == "staunen":
        augen(b, x0, y0, 3)
        for x, y in ((7, 10), (8, 10), (9, 10), (6, 11), (10, 11), (6, 12), (10, 12), (7, 13), (8, 13), (9, 13)):
            b.setze(x0 + x, y0 + y, SCHWARZ)
        for x, y in ((7, 11), (8, 11), (9, 11), (7, 12), (8, 12), (9, 12)):
            b.setze(x0 + x, y0 + y, DUNKELROT)
    elif art == "sonnenbrille":
        for x in range(1, 16):
            b.setze(x0 + x, y0 + 5, SCHWARZ)
        for x in list(range(3, 8)) + list(range(9, 14)):
            b.setze(x0 + x, y0 + 6, SCHWARZ)
        for x in list(range(4, 7)) + list(range(10, 13)):
            b.setze(x0 + x, y0 + 7, SCHWARZ)
        b.setze(x0 + 4, y0 + 6, WEISS)  # glint on each lens
        b.setze(x0 + 10, y0 + 6, WEISS)
        lachen(b, x0, y0)
    return b


# ---------------------------------------------------------------- the large pictures


def skalieren3x(maske):
    """Triples a binary mask, smoothing its diagonals (the Scale3x rule)."""
    h, w = len(maske), len(maske[0])

    def p(x, y):
        return maske[y][x] if 0 <= x < w and 0 <= y < h else 0

    aus = [[0] * (3 * w) for _ in range(3 * h)]
    for y in range(h):
        for x in range(w):
            a, b, c = p(x - 1, y - 1), p(x, y - 1), p(x + 1, y - 1)
            d, e, f = p(x - 1, y), p(x, y), p(x + 1, y)
            g, hh, i = p(x - 1, y + 1), p(x, y + 1), p(x + 1, y + 1)
            if b != hh and d != f:
                e0 = d if d == b else e
                e1 = b if (d == b and e != c) or (b == f and e != a) else e
                e2 = f if b == f else e
                e3 = d if (d == b and e != g) or (d == hh and e != a) else e
                e4 = e
                e5 = f if (b == f and e != i) or (hh == f and e != c) else e
                e6 = d if d == hh else e
                e7 = hh if (d == hh and e != i) or (hh == f and e != g) else e
                e8 = f if hh == f else e
            else:
                e0 = e1 = e2 = e3 = e4 = e5 = e6 = e7 = e8 = e
            for k, v in enumerate((e0, e1, e2, e3, e4, e5, e6, e7, e8)):
                aus[3 * y + k // 3][3 * x + k % 3] = v
    return aus


def schriftzug(text):
    """The word as a mask, three times the size of the font."""
    font = grids_lesen("schrift.txt")
    zeilen = 9
    maske = [[] for _ in range(zeilen)]
    for n, ch in enumerate(text):
        grid = font[ch]
        for y in range(zeilen):
            if n:
                maske[y].append(0)
            maske[y] += [1 if c == "#" else 0 for c in grid[y]]
    return skalieren3x(maske)


def grau(v):
    return (v << 16) | (v << 8) | v


def plastisch(b, maske, x0, y0, tiefe=4):
    """Paints the mask at (x0, y0) as dark grey letters with depth towards the lower
    right, a lit upper left edge and a black outline."""
    h, w = len(maske), len(maske[0])

    def m(x, y):
        return 0 <= x < w and 0 <= y < h and maske[y][x]

    koerper = set()
    for y in range(h + tiefe):
        for x in range(w + tiefe):
            if any(m(x - k, y - k) for k in range(tiefe + 1)):
                koerper.add((x, y))
    # outline first, so that everything else lies on top of it
    for (x, y) in koerper:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if (x + dx, y + dy) not in koerper:
                    b.setze(x0 + x + dx, y0 + y + dy, SCHWARZ)
    for (x, y) in koerper:
        if m(x, y):
            continue
        k = next(k for k in range(1, tiefe + 1) if m(x - k, y - k))
        # the side faces: the lower ones darker than the right-hand ones
        unten = not m(x - k, y - k + 1)
        b.setze(x0 + x, y0 + y, grau(0x26 + 6 * k) if unten else grau(0x3A + 6 * k))
    for y in range(h):
        for x in range(w):
            if not m(x, y):
                continue
            if not m(x - 1, y) or not m(x, y - 1):
                c = grau(0xA8)
            elif not m(x - 2, y) or not m(x, y - 2):
                c = grau(0x8C)
            elif not m(x + 1, y) or not m(x, y + 1):
                c = grau(0x48)
            else:
                c = grau(0x74 - (y * 0x28) // h)  # face shaded from the top down
            b.setze(x0 + x, y0 + y, c)


class Zufall:
    """A small fixed generator, so the cloud comes out the same on every machine."""

    def __init__(self, s):
        self.s = s

    def __call__(self):
        self.s = (self.s * 1103515245 + 12345) & 0x7FFFFFFF
        return self.s / 0x80000000


def mischen(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def explosion(b):
    """An orange and yellow cloud of puffs with a hot yellow core."""
    import math
    zz = Zufall(19)
    cx, cy = b.w / 2, b.h / 2
    # a broad core, so the cloud is whole behind the word
    puffs = [(cx, cy, 44.0), (cx - 34, cy, 40.0), (cx + 34, cy, 40.0), (cx - 58, cy + 2, 32.0),
             (cx + 58, cy - 2, 32.0)]
    for n in range(22):
        wink = 2 * math.pi * n / 22 + zz() * 0.25
        r = 44 + zz() * 10
        puffs.append((cx + math.cos(wink) * r * 1.55, cy + math.sin(wink) * r * 0.98, 14 + zz() * 11))
    for n in range(10):
        wink = 2 * math.pi * zz()
        r = zz() * 30
        puffs.append((cx + math.cos(wink) * r * 1.5, cy + math.sin(wink) * r, 16 + zz() * 10))
    stufen = [
        (0.00, (0xA0, 0x28, 0x00)),
        (0.10, (0xE0, 0x50, 0x00)),
        (0.30, (0xFF, 0x80, 0x00)),
        (0.55, (0xFF, 0xB0, 0x10)),
        (0.80, (0xFF, 0xE0, 0x30)),
        (1.00, (0xFF, 0xFF, 0xA0)),
    ]
    for y in range(b.h):
        for x in range(b.w):
            tief = -1.0
            for (px, py, r) in puffs:
                d = math.hypot(x - px, y - py)
                if d < r:
                    # each puff is lit from its upper left
                    licht = ((px - x) + (py - y)) / (2 * r)
                    tief = max(tief, (1 - d / r) * 0.75 + licht * 0.25)
            if tief < 0:
                continue
            kern = max(0.0, 1 - math.hypot((x - cx) / 1.6, y - cy) / 60)
            t = min(1.0, tief * 0.8 + kern * 0.9)
            t = round(t * 96) / 96  # a ramp of 97 shades keeps the palette in 8 bits
            for (t0, c0), (t1, c1) in zip(stufen, stufen[1:]):
                if t <= t1:
                    r, g, bl = mischen(c0, c1, (t - t0) / (t1 - t0))
                    break
            b.setze(x, y, (r << 16) | (g << 8) | bl)
    # whatever background the puffs enclose is cloud as well
    aussen, offen = set(), [(x, y) for x in range(b.w) for y in (0, b.h - 1)]
    offen += [(x, y) for y in range(b.h) for x in (0, b.w - 1)]
    while offen:
        x, y = offen.pop()
        if (x, y) in aussen or not (0 <= x < b.w and 0 <= y < b.h) or b.hole(x, y) != SCHLUESSEL:
            continue
        aussen.add((x, y))
        offen += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    r, g, bl = stufen[2][1]
    for y in range(b.h):
        for x in range(b.w):
            if b.hole(x, y) == SCHLUESSEL and (x, y) not in aussen:
                b.setze(x, y, (r << 16) | (g << 8) | bl)


def wahnsinn_gross():
    b = Bild(192, 144, SCHLUESSEL)
    explosion(b)
    maske = schriftzug("Wahnsinn")
    plastisch(b, maske, (192 - len(maske[0]) - 4) // 2, (144 - len(maske) - 4) // 2)
    return b


def wahnsinn_klein():
    b = Bild(170, 33, SCHLUESSEL)
    maske = schriftzug("Wahnsinn")
    plastisch(b, maske, (170 - len(maske[0]) - 4) // 2, 1)
    return b


# ---------------------------------------------------------------- icons


def mine_gross(b, mx, my, r, farbe_koerper=SCHWARZ):
    """A round mine of body radius r centred at (mx, my), spikes in eight directions."""
    import math
    for y in range(b.h):
        for x in range(b.w):
            dx, dy = x + 0.5 - mx, y + 0.5 - my
            d = math.hypot(dx, dy)
            stachel = False
            for k in range(8):
                wink = k * math.pi / 4
                ux, uy = math.cos(wink), math.sin(wink)
                laengs = dx * ux + dy * uy
                quer = abs(-dx * uy + dy * ux)
                lang = r * (1.55 if k % 2 == 0 else 1.35)
                if 0 < laengs < lang and quer < r * 0.16 * (1.2 - laengs / lang * 0.5):
                    stachel = True
            if d <= r or stachel:
                b.setze(x, y, farbe_koerper)
            if d <= r and d > r - 1.2 and dx + dy > r * 0.3:
                b.setze(x, y, DUNKELGRAU)  # the rim catches some light below right
    hx, hy = mx - r * 0.36, my - r * 0.36
    for y in range(b.h):
        for x in range(b.w):
            d = math.hypot(x + 0.5 - hx, y + 0.5 - hy)
            if d < r * 0.3:
                b.setze(x, y, WEISS if d < r * 0.17 else HELLGRAU)


def programmsymbol():
    b = Bild(32, 32, MAGENTA)
    mine_gross(b, 16, 16, 9)
    return b


def anwendungssymbol():
    """The 16 x 16 pixel grid of the application icon: a mine on a raised cell."""
    b = Bild(16, 16, DURCHSICHTIG)
    farben = {"w": WEISS, "h": HELLGRAU, "d": DUNKELGRAU, "k": SCHWARZ}
    grid_malen(b, grids_lesen("symbol.txt")["symbol"], 0, 0, farben)
    return b


# The sizes desktops look for in the hicolor theme.
SYMBOLGROESSEN = (16, 24, 32, 48, 64, 128, 256)


def symbol_in_groesse(grid, groesse):
    """The grid at the largest whole multiple that fits, centred, without smoothing;
    what is left around it (4 pixels at 24) stays transparent."""
    faktor = groesse // grid.w
    rand = (groesse - grid.w * faktor) // 2
    b = Bild(groesse, groesse, DURCHSICHTIG)
    for y in range(grid.h * faktor):
        for x in range(grid.w * faktor):
            b.setze(rand + x, rand + y, grid.hole(x // faktor, y // faktor))
    return b


# ---------------------------------------------------------------- writing files


def bmp_schreiben(pfad, bild, bits, palette):
    index = {c: i for i, c in enumerate(palette)}
    zeilenlaenge = ((bild.w * bits + 31) // 32) * 4
    pixel = bytearray()
    for y in range(bild.h - 1, -1, -1):
        zeile = bytearray()
        if bits == 4:
            for x in range(0, bild.w, 2):
                hi = index[bild.px[y][x]]
                lo = index[bild.px[y][x + 1]] if x + 1 < bild.w else 0
                zeile.append((hi << 4) | lo)
        else:
            zeile += bytes(index[c] for c in bild.px[y])
        zeile += bytes(zeilenlaenge - len(zeile))
        pixel += zeile
    pal = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in palette)
    info = struct.pack("<IiiHHIIiiII", 40, bild.w, bild.h, 1, bits, 0, len(pixel), 0, 0, 0, 0)
    versatz = 14 + len(info) + len(pal)
    kopf = struct.pack("<2sIHHI", b"BM", versatz + len(pixel), 0, 0, versatz)
    with open(pfad, "wb") as f:
        f.write(kopf + info + pal + pixel)


def bmp4(pfad, bild):
    fremd = {c for z in bild.px for c in z} - set(KLASSISCH)
    if fremd:
        raise SystemExit(f"{pfad}: colours outside the classic palette: {sorted(map(hex, fremd))}")
    bmp_schreiben(pfad, bild, 4, KLASSISCH)


def bmp8(pfad, bild):
    farben = sorted({c for z in bild.px for c in z} - {SCHLUESSEL})
    if len(farben) > 255:
        raise SystemExit(f"{pfad}: {len(farben)} colours do not fit the palette")
    palette = [SCHLUESSEL] + farben
    palette += [0] * (256 - len(palette))
    bmp_schreiben(pfad, bild, 8, palette)


def png_schreiben(pfad, bild):
    """RGB, or RGBA where the picture has transparent pixels."""
    def block(art, daten):
        return struct.pack(">I", len(daten)) + art + daten + struct.pack(">I", zlib.crc32(art + daten))

    alpha = any(c is DURCHSICHTIG for z in bild.px for c in z)
    roh = bytearray()
    for zeile in bild.px:
        roh.append(0)
        for c in zeile:
            if c is DURCHSICHTIG:
                roh += bytes(4)
            else:
                roh += bytes((c >> 16, (c >> 8) & 0xFF, c & 0xFF)) + (b"\xff" if alpha else b"")
    kopf = struct.pack(">IIBBBBB", bild.w, bild.h, 8, 6 if alpha else 2, 0, 0, 0)
    with open(pfad, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + block(b"IHDR", kopf) + block(b"IDAT", zlib.compress(bytes(roh), 9))
                + block(b"IEND", b""))


DATEINAMEN = (
    [f"ziffer{d}" for d in range(10)]
    + ["graueMine", "grauHoch", "roteMine", "flagge", "frageHoch", "frageTief",
       "lo", "mo", "ro", "li", "re", "lu", "mu", "ru", "anz",
       "smile1", "smile2", "smile3", "smile4", "smile5", "minus",
       "null", "eins", "zwei", "drei", "vier", "fuenf", "sechs", "sieben", "acht",
       "rotesKreuz", "wahnsinn", "wahn2"]
)


def alle_sprites():
    zeichen = grids_lesen("zeichen.txt")
    teile = rahmenteile()
    frage = zeichen["frage"]
    s = [ziffer(str(d)) for d in range(10)]
    s += [
        mit_mine(flach(), zeichen),
        hoch(),
        rote_mine(zeichen),
        zelle_mit(hoch(), zeichen["flagge"], 0, 0, {"R": ROT, "k": SCHWARZ}),
        zelle_mit(hoch(), frage, 4, 3, {"#": BLAU}),
        zelle_mit(flach(), frage, 4, 3, {"#": DUNKELBLAU}),
    ]
    s += [teile[n] for n in ("lo", "mo", "ro", "li", "re", "lu", "mu", "ru")]
    s.append(anzeige())
    s += [gesicht("normal"), gesicht("verloren"), gesicht("staunen"), gesicht("sonnenbrille"),
          gesicht("normal", gedrueckt=True)]
    s.append(ziffer("-"))
    s.append(flach())
    s += [zelle_mit(flach(), zeichen[str(n)], 4, 3, {"#": ZAHLFARBEN[n]}) for n in range(1, 9)]
    s.append(rotes_kreuz())
    s += [wahnsinn_gross(), wahnsinn_klein()]
    return s


def main():
    ziel = sys.argv[1] if len(sys.argv) > 1 else os.path.join(WURZEL, "assets")
    os.makedirs(ziel, exist_ok=True)
    sprites = alle_sprites()
    assert len(sprites) == len(DATEINAMEN) == 43
    for i, (name, bild) in enumerate(zip(DATEINAMEN, sprites)):
        pfad = os.path.join(ziel, f"{i:02d}_{name}.bmp")
        (bmp8 if i >= 41 else bmp4)(pfad, bild)
    bmp4(os.path.join(ziel, "icon32.bmp"), programmsymbol())
    symbol = anwendungssymbol()
    # The window's own icon, compiled into the program; the installed icons beside it.
    png_schreiben(os.path.join(ziel, "zundelfeld.png"), symbol_in_groesse(symbol, 64))
    os.makedirs(os.path.join(ziel, "icons"), exist_ok=True)
    for groesse in SYMBOLGROESSEN:
        png_schreiben(os.path.join(ziel, "icons", f"{groesse}.png"), symbol_in_groesse(symbol, groesse))


if __name__ == "__main__":
    main()
