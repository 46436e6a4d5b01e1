// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Conditional requests: whether a client's copy, named by its ETag or its date, is still
// the one the server would send, so that it may be answered 304 without a body.
#pragma once
#include "request.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace liga {

// "Sun, 06 Nov 1994 08:49:37 GMT", the form every HTTP date is sent in.
std::string httpDate(int64_t secondsSince1970);

// An HTTP date in any of the three forms a client may send (the one above, the RFC 850
// one "Sunday, 06-Nov-94 08:49:37 GMT" and C's asctime "Sun Nov  6 08:49:37 1994");
// nothing for anything else.
std::optional<int64_t> parseHttpDate(std::string_view text);

// Whether an If-None-Match value, a list of entity tags or "*", names `etag` (a quoted
// tag), weak and strong tags alike, as a GET is compared.
bool etagListMatches(std::string_view header, std::string_view etag);

// Whether a GET or HEAD whose answer would carry `etag` and `lastModified` may be answered
// 304: If-None-Match decides when the request has it, otherwise If-Modified-Since, which
// counts only when it is a date no later than the request's arrival.
bool notModified(const Request& request, std::string_view etag, int64_t lastModified);

} // namespace liga
