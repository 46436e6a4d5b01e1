// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

// Input/output error codes of the settings file and their German texts.
namespace iofehler {
constexpr int dateiNichtGefunden = 2;
constexpr int ungueltigerDateiname = 3;
constexpr int zuVieleDateien = 4;
constexpr int zugriffVerweigert = 5;
constexpr int hinterDateiende = 100;
constexpr int zuWenigSpeicher = 101;
constexpr int ungueltigeZahl = 106;
} // namespace iofehler

// Maps an errno value onto the codes above; any other error keeps its own number, or
// 1000 plus it where that number is one of the codes above (EIO is 5).
int ioFehlerAusErrno(int err);

// "Datei nicht gefunden", ..., "E/A-Fehler 17" (UTF-8).
std::string ioFehlerText(int code);

// The text as the application's error box shows it: a full stop appended when the last
// character sorts above ".".
std::string mitSchlusspunkt(std::string text);
