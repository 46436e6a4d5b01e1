// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

// Plain TCP on 127.0.0.1 for the tests and benchmarks, which reach no other address.

// A port on 127.0.0.1 where nobody listens (at the moment of asking).
uint16_t freierPort();

// A connection to 127.0.0.1:port whose sends and receives give up after fristSekunden,
// without Nagle's delay; -1 when nobody takes it.
int loopbackVerbinden(int port, int fristSekunden = 5);

// One HTTP/1.0 GET of `pfad` from 127.0.0.1:port: status line, header and body as they
// came, or nothing when nobody took the connection.
std::string loopbackGet(int port, const std::string& pfad, int fristSekunden = 15);
