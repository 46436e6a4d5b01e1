// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <functional>

// Makes sure a QCoreApplication exists for tests of event-driven components.
void qtAnwendungSicherstellen();

// Pumps the event loop until the condition holds or the time is up; returns the condition.
bool pumpenBis(const std::function<bool()>& bedingung,
               std::chrono::milliseconds frist = std::chrono::milliseconds(5000));
