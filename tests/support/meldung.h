// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

// Runs `schritt` and returns the text of the message box that `fenster` shows meanwhile,
// accepting it; "(keine Meldung)" when none showed. Its text is shown plain, never as
// markup.
inline QString meldungBei(QWidget& fenster, const std::function<void()>& schritt) {
    QString gezeigt = "(keine Meldung)";
    QTimer wache;
    QObject::connect(&wache, &QTimer::timeout, &fenster, [&] {
        auto* box = fenster.findChild<QMessageBox*>();
        if (!box || !box->isVisible()) return;
        gezeigt = box->text();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->accept();
    });
    wache.start(10);
    schritt();
    return gezeigt;
}
