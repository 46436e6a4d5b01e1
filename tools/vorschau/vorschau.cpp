// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Writes PNG files of sample frames, at 1:1 and enlarged four times, so the art and the
// layout can be looked at without starting the game.
//   vorschau [folder]     (default ./preview)
#include "bestzeit.h"
#include "layout.h"
#include "spiel.h"
#include "spriteliste.h"
#include "uhr.h"
#include "zeichnen.h"
#include "zeiger.h"
#include "zufall.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <climits>
#include <cstdio>
#include <exception>
#include <memory>

namespace {

using TBilder = std::array<TPictureCollectionItem, spriteAnzahl>;

class TFesteUhr final : public TUhr {
public:
    double jetzt() const override { return 45000.5; }
    uint32_t utcTagesMillisekunden() const override { return 0; }
};

struct TLevel {
    int32_t stufe, W, H, minen;
};
constexpr TLevel stufen[] = {
    {1, 8, 8, 10}, {2, 16, 16, 40}, {3, 30, 16, 99}, {4, 36, 24, 180}, {5, 40, 30, 250}};

class TVorschau {
public:
    TVorschau(const TBilder& bilder, QString ordner)
        : bilder_(bilder), ordner_(std::move(ordner)) {}

    // A fresh board of a level, the same seed every run.
    TSpiel& neu(const TLevel& l, uint32_t saat = 4711) {
        zufall_.setzen(saat);
        spiel_ = std::make_unique<TSpiel>(zufall_, uhr_, bestzeiten_);
        spiel_->merker = true;
        spiel_->stufeAnlegen(l.stufe, l.W, l.H, l.minen);
        zeiger = TZeiger{};
        return *spiel_;
    }

    bool schreiben(const char* name, int32_t t = 0) {
        const TSpiel& s = *spiel_;
        Surface ziel(clientBreite(s.breite), clientHoehe(s.hoehe));
        FillSurface(&ziel, 0);
        zeichnen(&ziel, bilder_, s, zeiger, t);
        // XRGB pixels are exactly QImage's RGB32 layout; the top byte is ignored.
        const QImage bild(reinterpret_cast<const uchar*>(ziel.bits()), ziel.width(), ziel.height(),
                          ziel.width() * 4, QImage::Format_RGB32);
        const QString eins = ordner_ + "/" + name + ".png";
        const QString vier = ordner_ + "/" + name + "_x4.png";
        const bool ok =
            bild.save(eins, "PNG") && bild.scaled(ziel.width() * 4, ziel.height() * 4,
                                                  Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                          .save(vier, "PNG");
        std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "FAILED", qPrintable(eins), ziel.width(),
                    ziel.height());
        return ok;
    }

    // Opens the cell without neighbouring mines nearest the middle, so the flood shows
    // a region edged with numbers.
    void mitteAufdecken() {
        TSpiel& s = *spiel_;
        int32_t bx = s.breite / 2, by = s.hoehe / 2, best = INT32_MAX;
        for (int32_t x = 1; x <= s.breite; ++x) {
            for (int32_t y = 1; y <= s.hoehe; ++y) {
                const Tzelle& c = s.feld.zelle(x, y);
                const int32_t d =
                    (x - s.breite / 2) * (x - s.breite / 2) + (y - s.hoehe / 2) * (y - s.hoehe / 2);
                if (!c.mine && c.nachbarn == 0 && d < best) {
                    best = d;
                    bx = x;
                    by = y;
                }
            }
        }
        s.aufdecken(bx, by);
    }

    // The first covered cell with (or without) a mine, scanning row by row from (x0, y0).
    bool finde(bool mine, int32_t& x, int32_t& y, int32_t x0 = 1, int32_t y0 = 1) const {
        const TSpiel& s = *spiel_;
        for (int32_t yy = y0; yy <= s.hoehe; ++yy) {
            for (int32_t xx = yy == y0 ? x0 : 1; xx <= s.breite; ++xx) {
                const Tzelle& c = s.feld.zelle(xx, yy);
                if (!c.offen && c.markierung == TMarkierung::keine && c.mine == mine) {
                    x = xx;
                    y = yy;
                    return true;
                }
            }
        }
        return false;
    }

    // A covered cell next to an uncovered one, for the press previews.
    bool randZelle(int32_t& x, int32_t& y) const {
        const TSpiel& s = *spiel_;
        for (int32_t xx = 2; xx < s.breite; ++xx) {
            for (int32_t yy = 2; yy < s.hoehe; ++yy) {
                if (!s.feld.zelle(xx, yy).offen && s.feld.zelle(xx - 1, yy).offen) {
                    x = xx;
                    y = yy;
                    return true;
                }
            }
        }
        return false;
    }

    void zeigerAuf(int32_t x, int32_t y) {
        const TPunkt p = zellPos(x, y);
        mausBewegt(zeiger, zeigerOrt(spiel_->breite, spiel_->hoehe, p.x + 8, p.y + 8));
    }

    TSpiel& spiel() { return *spiel_; }
    TZeiger zeiger;

private:
    const TBilder& bilder_;
    QString ordner_;
    TZufall zufall_;
    TFesteUhr uhr_;
    TBestzeiten bestzeiten_{};
    std::unique_ptr<TSpiel> spiel_;
};

bool alleSchreiben(TVorschau& v) {
    bool ok = true;
    char name[32];
    for (const TLevel& l : stufen) {
        v.neu(l);
        std::snprintf(name, sizeof name, "neu_stufe%d", l.stufe);
        ok &= v.schreiben(name);
    }

    // Lost: a few right and wrong flags and a question mark, then a mine goes off.
    TSpiel& s = v.neu(stufen[2]);
    v.mitteAufdecken();
    int32_t x = 0, y = 0;
    for (int i = 0; i < 3 && v.finde(true, x, y, 1, 1 + 4 * i); ++i) s.markieren(x, y);
    for (int i = 0; i < 3 && v.finde(false, x, y, 1, 2 + 4 * i); ++i) s.markieren(x, y);
    if (v.finde(false, x, y, 5, 14)) {
        s.markieren(x, y);
        s.markieren(x, y); // flag, then question mark
    }
    if (v.finde(true, x, y, 10, 9)) s.aufdecken(x, y);
    ok &= v.schreiben("verloren", 87);

    // Won: every mine-free cell uncovered.
    TSpiel& g = v.neu(stufen[1]);
    for (int32_t xx = 1; xx <= g.breite; ++xx) {
        for (int32_t yy = 1; yy <= g.hoehe; ++yy) {
            if (!g.feld.zelle(xx, yy).mine) g.aufdecken(xx, yy);
        }
    }
    ok &= v.schreiben("gewonnen", 142);

    // The presses, on a game in progress.
    v.neu(stufen[1]);
    v.mitteAufdecken();
    if (v.randZelle(x, y)) {
        v.zeigerAuf(x, y);
        v.zeiger.linksUnten = v.zeiger.einzelKlick = true;
        ok &= v.schreiben("einzeldruck", 12);
        v.zeiger.rechtsUnten = true;
        v.zeiger.einzelKlick = false;
        ok &= v.schreiben("akkorddruck", 12);
    }
    v.zeiger = TZeiger{};
    mausBewegt(v.zeiger, zeigerOrt(16, 16, 16 * 8 + 5, 20));
    v.zeiger.linksUnten = v.zeiger.gesichtGedrueckt = v.zeiger.einzelKlick = true;
    ok &= v.schreiben("gesichtgedrueckt", 12);

    // Won level 5 with its overlay, and level 5 in progress with its banner only.
    TSpiel& w = v.neu(stufen[4]);
    v.mitteAufdecken();
    ok &= v.schreiben("wahnsinn_laufend", 51);
    for (int32_t xx = 1; xx <= w.breite; ++xx) {
        for (int32_t yy = 1; yy <= w.hoehe; ++yy) {
            if (!w.feld.zelle(xx, yy).mine) w.aufdecken(xx, yy);
        }
    }
    ok &= v.schreiben("wahnsinn_gewonnen", 999);

    // More flags than mines.
    TSpiel& n = v.neu(stufen[0]);
    for (int32_t xx = 1; xx <= 8; ++xx) {
        for (int32_t yy = 1; yy <= 2; ++yy) n.markieren(xx, yy);
    }
    ok &= v.schreiben("minus", 7);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const QString ordner = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("preview");
    if (!QDir().mkpath(ordner)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(ordner));
        return 1;
    }
    try {
        auto bilder = std::make_unique<TBilder>();
        spritesLaden(*bilder);
        TVorschau v(*bilder, ordner);
        return alleSchreiben(v) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
