// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>

namespace Ui {
class Thilfe;
}

// The help dialog: the fixed help text in a read-only field; closed with its close box.
class Thilfe final : public QDialog {
    Q_OBJECT

public:
    explicit Thilfe(QWidget* parent = nullptr);
    ~Thilfe() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::Thilfe> ui;
};
