// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "pg_connection.h"

#include <span>
#include <utility>
#include <vector>

namespace liga {

// Rows of the change count, so that writers seldom wait for each other on one.
constexpr int changeShards = 16;

// Every statement the store runs with values, by name: each connection prepares them all
// when it opens.
std::span<const std::pair<const char*, const char*>> postgresStatements();

// How a submission's transaction begins: with the share of the lock that a moderation
// takes alone, so that it waits for a moderation under way, and its later statements,
// each with a snapshot of its own, see all that the moderation did. A moderation that
// waits for its lock lets no new submission begin.
const std::vector<PgCall>& beginSubmission();

} // namespace liga
