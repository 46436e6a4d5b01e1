// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <span>
#include <utility>

namespace liga {

// Rows of the change count, so that writers seldom wait for each other on one.
constexpr int changeShards = 16;

// Every statement the store runs with values, by name: each connection prepares them all
// when it opens.
std::span<const std::pair<const char*, const char*>> postgresStatements();

} // namespace liga
