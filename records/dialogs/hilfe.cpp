// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "hilfe.h"
#include "ui_hilfe.h"

#include "dialograhmen.h"
#include "schrift.h"

Thilfe::Thilfe(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Thilfe>()) {
    ui->setupUi(this);
    dialogRahmen(this, 291, 247, true);
    schriftAnpassen(this, 11, false);
}

Thilfe::~Thilfe() = default;

void Thilfe::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    move(192, 123);
}
