// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The records as an Atom feed (RFC 4287), for feed readers and clubs' sites.
#pragma once
#include "views.h"

#include <cstdint>
#include <string>
#include <vector>

namespace liga {

// A record's permanent id, from its entry's code: "tag:HOST,2026:liga/rekord/CODE".
std::string recordId(const RecordRow& record);

// The feed of `records` (newest first), its links relative to its own address at the
// league's root.
std::string atomFeed(const std::vector<RecordRow>& records);

// "2026-12-09T10:41:33Z".
std::string rfc3339(int64_t secondsSince1970);

} // namespace liga
