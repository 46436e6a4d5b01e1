// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

// Plain TCP on 127.0.0.1 for the tests and benchmarks, which reach no other address.

// A port on 127.0.0.1 where nobody listens (at the moment of asking).
uint16_t freierPort();

// A connection to 127.0.0.1:port whose sends and receives give up after fristSekunden,
// without Nagle's delay, from `quelle` (a 127.x.y.z address in host order); -1 when nobody
// takes it.
constexpr uint32_t loopbackQuelle = 0x7F000001;
int loopbackVerbinden(int port, int fristSekunden = 5, uint32_t quelle = loopbackQuelle);

// Sends `anfrage` as it stands and gives back all that came until the server closed (or the
// time ran out).
std::string loopbackSenden(int port, const std::string& anfrage, int fristSekunden = 15,
                           uint32_t quelle = loopbackQuelle);

// One HTTP/1.0 GET of `pfad` from 127.0.0.1:port: status line, header and body as they
// came, or nothing when nobody took the connection.
std::string loopbackGet(int port, const std::string& pfad, int fristSekunden = 15);
