// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dximagelist.h"
#include "dxdraw.h"

#include <string>

TDXImageList::TDXImageList(TDXDraw* dxDraw, TLoader loader, QObject* parent)
    : QObject(parent), dxDraw_(dxDraw), loader_(std::move(loader)) {
    if (dxDraw_) Initialize();
}

void TDXImageList::SetDXDraw(TDXDraw* dxDraw) {
    dxDraw_ = dxDraw;
    if (dxDraw_ && !initialized_) Initialize();
}

void TDXImageList::Initialize() {
    if (!dxDraw_) {
        throw EPictureCollectionError(std::string(metaObject()->className()) +
                                      " cannot be initialized");
    }
    if (initialized_) return;
    TPictureCollection fresh{};
    if (loader_) loader_(fresh);
    items_ = std::move(fresh); // all or nothing: a failing loader leaves the list as it was
    initialized_ = true;
}

const TPictureCollectionItem& TDXImageList::Items(int32_t i) const {
    if (i < 0 || i >= spriteAnzahl) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
    }
    return items_[static_cast<std::size_t>(i)];
}
