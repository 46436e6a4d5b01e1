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

// The same between any two addresses of this machine (numeric, IPv4 or IPv6: 127.0.0.0/8,
// ::1, or those of the network namespace of tools/in-netns.sh): a connection from `quelle`
// to `ziel`:port, not waiting for it to be made unless `warten`, with a receive buffer of
// `empfangsPuffer` bytes when not 0; -1 when it fails.
int loopbackVerbindenVon(const std::string& quelle, const std::string& ziel, int port,
                         bool warten = true, int empfangsPuffer = 0);
// Sends `anfrage` over such a connection and gives back all that came until the server
// closed (at most 15 s).
std::string loopbackSendenVon(const std::string& quelle, const std::string& ziel, int port,
                              const std::string& anfrage);
