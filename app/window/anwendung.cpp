// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "anwendung.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool anwendungEinrichten(QTranslator& qtDeutsch) {
    QCoreApplication::setApplicationName("Zundelfeld");
    QGuiApplication::setDesktopFileName(QStringLiteral(ZUNDEL_APP_ID));
    if (!qtDeutsch.load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&qtDeutsch);
}
