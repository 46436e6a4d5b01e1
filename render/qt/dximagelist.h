// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "blit.h"
#include "katalog.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>

class TDXDraw;

// Raised when the image list is initialised without a drawing surface:
// "TDXImageList cannot be initialized".
class EPictureCollectionError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TPictureCollection = std::array<TPictureCollectionItem, spriteAnzahl>;

// The image list: the 43 sprites, looked up by index 0..42. The items are built once by
// the loader it is given (the compiled-in pictures in the game: spritesLaden), when it
// is initialised; surfaces are never lost, so they are never rebuilt.
class TDXImageList final : public QObject {
    Q_OBJECT

public:
    using TLoader = std::function<void(TPictureCollection& items)>;

    // Initialises at once when a drawing surface is given. Errors of the loader
    // (EInvalidGraphic) come through.
    TDXImageList(TDXDraw* dxDraw, TLoader loader, QObject* parent = nullptr);

    TDXDraw* DXDraw() const { return dxDraw_.data(); }
    // Names the drawing surface; initialises the list if it is not yet.
    void SetDXDraw(TDXDraw* dxDraw);

    bool Initialized() const { return initialized_; }
    // Builds the items. Throws EPictureCollectionError without a drawing surface.
    void Initialize();

    // The items, for the frame drawing; empty items until initialised.
    const TPictureCollection& Items() const { return items_; }
    // Item i; throws std::out_of_range outside 0..42.
    const TPictureCollectionItem& Items(int32_t i) const;
    int32_t Count() const { return spriteAnzahl; }

private:
    QPointer<TDXDraw> dxDraw_;
    TLoader loader_;
    TPictureCollection items_{};
    bool initialized_ = false;
};
