// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spriteliste.h"

#include "dib.h"
#include "eingebettet.h"

#include <cstring>

namespace {

std::span<const uint8_t> datei(const std::string& name) {
    for (const TEingebetteteDatei* d = eingebetteteDateien; d->name != nullptr; ++d)
        if (name == d->name) return d->daten;
    return {};
}

} // namespace

std::span<const uint8_t> spriteDaten(int32_t index) {
    std::string name = spriteDateiname(index);
    return name.empty() ? std::span<const uint8_t>{} : datei(name);
}

std::span<const uint8_t> programmSymbolDaten() {
    return datei("icon32.bmp");
}

std::span<const uint8_t> anwendungsSymbolDaten() {
    return datei("zundelfeld.png");
}

void spritesLaden(std::array<TPictureCollectionItem, spriteAnzahl>& items) {
    for (int32_t i = 0; i < spriteAnzahl; ++i) {
        const TSpriteEintrag& e = spriteKatalog[static_cast<std::size_t>(i)];
        TPictureCollectionItem& item = items[static_cast<std::size_t>(i)];
        item.Name = e.name;
        item.PatternHeight = 0;
        item.PatternWidth = 0;
        item.SystemMemory = false;
        item.Transparent = e.transparent;
        item.TransparentColor = e.transparent ? spriteTransparenzFarbe : 0u;
        item.surface = LoadBitmapFile(spriteDaten(i));
    }
}
