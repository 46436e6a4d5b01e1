// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "zeichnen.h"

#include "layout.h"
#include "spiel.h"
#include "stufen.h"
#include "zeiger.h"

namespace {

using TBilder = std::array<TPictureCollectionItem, spriteAnzahl>;

struct TMaler {
    Surface* ziel;
    const TBilder& bilder;

    void operator()(int32_t index, TPunkt p) const {
        DrawSprite(bilder[static_cast<std::size_t>(index)], ziel, p.x, p.y, 0);
    }
};

int32_t gesichtSprite(const TSpiel& spiel, const TZeiger& z) {
    const bool festGehalten = z.gesichtGedrueckt && z.ueberGesicht;
    if (spiel.spielEnde && !festGehalten) return spiel.gewonnen ? spriteSmile4 : spriteSmile2;
    if (!z.linksUnten && !z.gesichtGedrueckt) return spriteSmile1;
    if (festGehalten) return spriteSmile5;
    if (z.gesichtGedrueckt) return spriteSmile1;
    return spriteSmile3;
}

int32_t zellSprite(const TSpiel& spiel, int32_t x, int32_t y) {
    const Tzelle& c = spiel.feld.zelle(x, y);
    if (c.offen) {
        // A count outside 0..8 would name another sprite; show it as empty instead.
        const int32_t n = c.nachbarn >= 0 && c.nachbarn <= 8 ? c.nachbarn : 0;
        return spriteNull + n;
    }
    if (!spiel.spielEnde) {
        if (c.markierung == TMarkierung::flagge) return spriteFlagge;
        if (c.markierung == TMarkierung::fragezeichen) return spriteFrageHoch;
        return spriteGrauHoch;
    }
    if (spiel.gewonnen) return spriteFlagge;
    if (c.mine) {
        if (x == spiel.feld.explosionX && y == spiel.feld.explosionY) return spriteRoteMine;
        return c.markierung == TMarkierung::flagge ? spriteFlagge : spriteGraueMine;
    }
    return c.markierung == TMarkierung::flagge ? spriteRotesKreuz : spriteGrauHoch;
}

// A covered cell held down: empty, or the sunken question mark; a flag stays as it is.
// The pointer may still name a cell of the previous, larger board: off the board, no press.
void gedruecktZeichnen(const TMaler& malen, const TSpiel& spiel, int32_t W, int32_t H, int32_t x,
                       int32_t y) {
    if (x < 1 || x > W || y < 1 || y > H) return;
    const Tzelle& c = spiel.feld.zelle(x, y);
    if (c.offen) return;
    if (c.markierung == TMarkierung::keine) malen(spriteNull, zellPos(x, y));
    if (c.markierung == TMarkierung::fragezeichen) malen(spriteFrageTief, zellPos(x, y));
}

// Places 0 (hundreds), 1 (tens), 2 (units) of a counter, units first.
template <typename Pos> void zahlZeichnen(const TMaler& malen, uint64_t wert, Pos pos) {
    malen(static_cast<int32_t>(wert % 10), pos(2));
    malen(static_cast<int32_t>(wert / 10 % 10), pos(1));
    malen(static_cast<int32_t>(wert / 100 % 10), pos(0));
}

} // namespace

void zeichnen(Surface* ziel, const TBilder& bilder, const TSpiel& spiel, const TZeiger& zeiger,
              int32_t t) {
    if (ziel == nullptr) return;
    const TMaler malen{ziel, bilder};
    // The board storage bounds every loop, whatever the size fields say.
    const int32_t W = spiel.breite < 0 ? 0 : (spiel.breite > maxBreite ? maxBreite : spiel.breite);
    const int32_t H = spiel.hoehe < 0 ? 0 : (spiel.hoehe > maxHoehe ? maxHoehe : spiel.hoehe);

    for (int32_t i = 1; i <= W; ++i) {
        malen(spriteMo, obenPos(i));
        malen(spriteMu, untenPos(i, H));
    }
    for (int32_t j = 1; j <= H; ++j) {
        malen(spriteLi, linksPos(j));
        malen(spriteRe, rechtsPos(W, j));
    }
    malen(spriteLo, obenLinksPos());
    malen(spriteRo, obenRechtsPos(W));
    malen(spriteLu, untenLinksPos(H));
    malen(spriteRu, untenRechtsPos(W, H));

    malen(spriteAnz, minenAnzeigePos());
    malen(spriteAnz, zeitAnzeigePos(W));

    malen(gesichtSprite(spiel, zeiger), gesichtPos(W));

    // Worked in 64 bits: no count the board can hold makes the difference overflow.
    const int64_t m = int64_t{spiel.feld.minen} - spiel.feld.flaggen;
    if (m >= 0) {
        zahlZeichnen(malen, static_cast<uint64_t>(m), [](int32_t s) { return minenStellePos(s); });
    } else {
        const uint64_t a = static_cast<uint64_t>(-m);
        malen(static_cast<int32_t>(a % 10), minenStellePos(2));
        malen(static_cast<int32_t>(a / 10 % 10), minenStellePos(1));
        malen(spriteMinus, minenStellePos(0));
    }

    const int32_t sekunden = t < 0 ? 0 : (t > 999 ? 999 : t);
    zahlZeichnen(malen, static_cast<uint64_t>(sekunden),
                 [W](int32_t s) { return zeitStellePos(W, s); });

    for (int32_t x = 1; x <= W; ++x) {
        for (int32_t y = 1; y <= H; ++y) malen(zellSprite(spiel, x, y), zellPos(x, y));
    }

    const bool vorschau = zeiger.ueberFeld && !zeiger.gesichtGedrueckt && !spiel.spielEnde;
    if (vorschau && zeiger.linksUnten && !zeiger.rechtsUnten && zeiger.einzelKlick) {
        gedruecktZeichnen(malen, spiel, W, H, zeiger.mausX, zeiger.mausY);
    }
    if (vorschau && ((zeiger.linksUnten && zeiger.rechtsUnten) || zeiger.mitteUnten)) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
            for (int32_t dy = -1; dy <= 1; ++dy) {
                gedruecktZeichnen(malen, spiel, W, H, zeiger.mausX + dx, zeiger.mausY + dy);
            }
        }
    }

    if (spiel.spielEnde && spiel.gewonnen && spiel.spielstufe == stufeWahnsinn) {
        const Surface& bild = bilder[spriteWahnsinn].surface;
        malen(spriteWahnsinn,
              overlayPos(ziel->width(), ziel->height(), bild.width(), bild.height()));
    }
    if (spiel.spielstufe == stufeWahnsinn) malen(spriteWahn2, bannerPos());
}
