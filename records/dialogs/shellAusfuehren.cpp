// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "shellAusfuehren.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
constexpr qsizetype pufferZeichen = 255;
}

QString shellAdresse(const QString& datei) {
    QString adresse = datei.left(pufferZeichen).trimmed();
    const qsizetype doppelpunkt = adresse.indexOf(u':');
    if (doppelpunkt > 0) {
        qsizetype ende = doppelpunkt + 1;
        while (ende < adresse.size() && adresse.at(ende) == u' ') ++ende;
        adresse.remove(doppelpunkt + 1, ende - doppelpunkt - 1);
    }
    return adresse;
}

void shellAusfuehren(QWidget* /*besitzer*/, const QString& datei, const QString& /*parameter*/,
                     const QString& /*verzeichnis*/, int32_t /*anzeige*/) {
    QDesktopServices::openUrl(QUrl(shellAdresse(datei), QUrl::TolerantMode));
}
