// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

// Names are stored as Windows-1252 bytes; the rest of the program speaks UTF-8.
std::string cp1252NachUtf8(std::string_view bytes);
// Characters without a Windows-1252 byte become "?"; invalid UTF-8 likewise.
std::string utf8NachCp1252(std::string_view utf8);
