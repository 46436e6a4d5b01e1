// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "about.h"
#include "hilfe.h"

#include <memory>

// Both dialogs are made afresh for every opening and freed when they close.
void TForm1::Hilfethemen1Click(QObject*) {
    auto hilfe = std::make_unique<Thilfe>(this);
    hilfe->exec();
}

void TForm1::Info1Click(QObject*) {
    auto about = std::make_unique<TAboutBox>(this);
    about->exec();
}
