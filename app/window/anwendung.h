// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QTranslator;

// Sets up the application before its main window is made: the title "Zundelfeld" (the
// name on its taskbar button), its desktop entry, and the toolkit's own German texts
// (standard buttons, the edit fields' context menus) from the system's translations.
// Returns false when those texts are missing; the game then runs with English ones.
bool anwendungEinrichten(QTranslator& qtDeutsch);
