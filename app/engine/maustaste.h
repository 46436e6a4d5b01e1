// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Mouse buttons as the windowing system numbers them; the drawing surface reports them so.
enum TMaustaste : int { mbLinks = 0, mbRechts = 1, mbMitte = 2 };
