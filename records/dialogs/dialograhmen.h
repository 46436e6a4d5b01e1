// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QDialog;

// The frame every dialog of the game has: a fixed border of the given client size with a
// title and a close box, and the system menu where the dialog offers one.
void dialogRahmen(QDialog* dialog, int breite, int hoehe, bool systemMenue);
