// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>

class QWidget;

// Hands a file or address to the desktop for its default action. At most 255
// characters of each text are passed on; the result is not checked, so a link with no
// program to open it fails silently. parameter, verzeichnis and anzeige have no
// counterpart on this desktop and are accepted for the callers' sake.
void shellAusfuehren(QWidget* besitzer, const QString& datei, const QString& parameter,
                     const QString& verzeichnis, int32_t anzeige);

// The address shellAusfuehren opens for datei: cut to 255 characters, blanks behind the
// scheme's colon dropped ("mailto: a@b" becomes "mailto:a@b").
QString shellAdresse(const QString& datei);
