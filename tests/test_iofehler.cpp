// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "iofehler.h"
#include <cerrno>
#include <gtest/gtest.h>

namespace {

TEST(IoFehler, TextsOfTheCodes) {
    EXPECT_EQ(ioFehlerText(2), "Datei nicht gefunden");
    EXPECT_EQ(ioFehlerText(3), "Ungültiger Dateiname");
    EXPECT_EQ(ioFehlerText(4), "Zu viele geöffnete Dateien");
    EXPECT_EQ(ioFehlerText(5), "Dateizugriff verweigert");
    EXPECT_EQ(ioFehlerText(100), "Versuch hinter dem Dateiende zu lesen");
    EXPECT_EQ(ioFehlerText(101), "Zu wenig Speicherplatz");
    EXPECT_EQ(ioFehlerText(106), "Ungültige numerische Eingabe");
    EXPECT_EQ(ioFehlerText(17), "E/A-Fehler 17");
    EXPECT_EQ(ioFehlerText(-3), "E/A-Fehler -3");
}

TEST(IoFehler, SystemErrorsMapOntoTheCodesOfTheSameMeaning) {
    EXPECT_EQ(ioFehlerAusErrno(ENOENT), 2);
    EXPECT_EQ(ioFehlerAusErrno(ENOTDIR), 2);
    EXPECT_EQ(ioFehlerAusErrno(ENAMETOOLONG), 3);
    EXPECT_EQ(ioFehlerAusErrno(EINVAL), 3);
    EXPECT_EQ(ioFehlerAusErrno(EMFILE), 4);
    EXPECT_EQ(ioFehlerAusErrno(ENFILE), 4);
    EXPECT_EQ(ioFehlerAusErrno(EACCES), 5);
    EXPECT_EQ(ioFehlerAusErrno(EPERM), 5);
    EXPECT_EQ(ioFehlerAusErrno(EROFS), 5);
    EXPECT_EQ(ioFehlerAusErrno(ENOSPC), 101);
    EXPECT_EQ(ioFehlerAusErrno(EDQUOT), 101);
    EXPECT_EQ(ioFehlerAusErrno(EISDIR), EISDIR);
    // A number that is a code of its own must not borrow that code's text.
    EXPECT_EQ(ioFehlerText(ioFehlerAusErrno(EIO)), "E/A-Fehler 1005");
    EXPECT_EQ(ioFehlerText(ioFehlerAusErrno(ENETUNREACH)), "E/A-Fehler 1101");
}

TEST(Schlusspunkt, AppendedOnlyAfterACharacterAboveTheFullStop) {
    EXPECT_EQ(mitSchlusspunkt("Datei nicht gefunden"), "Datei nicht gefunden.");
    EXPECT_EQ(mitSchlusspunkt("E/A-Fehler 17"), "E/A-Fehler 17.");
    EXPECT_EQ(mitSchlusspunkt("Fertig."), "Fertig.");
    EXPECT_EQ(mitSchlusspunkt("Wirklich!"), "Wirklich!");
    EXPECT_EQ(mitSchlusspunkt("a-"), "a-");
    EXPECT_EQ(mitSchlusspunkt("a/"), "a/.");
    EXPECT_EQ(mitSchlusspunkt(""), "");
    EXPECT_EQ(mitSchlusspunkt("geöffnet ä"), "geöffnet ä."); // a UTF-8 byte sorts high
}

} // namespace
