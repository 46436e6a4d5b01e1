// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

// The league server's host, "host" or "host:port": a build setting, not read at run time.
// The best-times dialog sends to it and the about box links to its page.
std::string ligaHost();
