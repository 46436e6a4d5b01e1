// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "iofehler.h"
#include <cerrno>

int ioFehlerAusErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return iofehler::dateiNichtGefunden;
    case ENAMETOOLONG:
    case EINVAL:
        return iofehler::ungueltigerDateiname;
    case EMFILE:
    case ENFILE:
        return iofehler::zuVieleDateien;
    case EACCES:
    case EPERM:
    case EROFS:
        return iofehler::zugriffVerweigert;
    case ENOSPC:
    case EDQUOT:
        return iofehler::zuWenigSpeicher;
    default:
        break;
    }
    // Other numbers that coincide with a code of their own (EIO is 5, for one) would show
    // that code's text; moved out of the way they read as "E/A-Fehler" with a number.
    switch (err) {
    case iofehler::ungueltigerDateiname:
    case iofehler::zuVieleDateien:
    case iofehler::zugriffVerweigert:
    case iofehler::hinterDateiende:
    case iofehler::zuWenigSpeicher:
    case iofehler::ungueltigeZahl:
        return 1000 + err;
    default:
        return err;
    }
}

std::string ioFehlerText(int code) {
    switch (code) {
    case iofehler::dateiNichtGefunden:
        return "Datei nicht gefunden";
    case iofehler::ungueltigerDateiname:
        return "Ungültiger Dateiname";
    case iofehler::zuVieleDateien:
        return "Zu viele geöffnete Dateien";
    case iofehler::zugriffVerweigert:
        return "Dateizugriff verweigert";
    case iofehler::hinterDateiende:
        return "Versuch hinter dem Dateiende zu lesen";
    case iofehler::zuWenigSpeicher:
        return "Zu wenig Speicherplatz";
    case iofehler::ungueltigeZahl:
        return "Ungültige numerische Eingabe";
    default:
        return "E/A-Fehler " + std::to_string(code);
    }
}

std::string mitSchlusspunkt(std::string text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}
