// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <Qt>

// The virtual-key number a key of the toolkit has in the game's key handler: 27 Escape,
// 13 Enter, 112..123 F1..F12, 65..90 letters, 48..57 digits (96..105 on the keypad), and
// the usual numbers of the editing and arrow keys. 0 for a key without a number.
int WindowsVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

// The numbers the handlers test, and the starts of the numbered ranges.
constexpr int vkEnter = 13;
constexpr int vkEscape = 27;
constexpr int vk0 = 48;
constexpr int vkA = 65;
constexpr int vkNumpad0 = 96;
constexpr int vkF1 = 112;
