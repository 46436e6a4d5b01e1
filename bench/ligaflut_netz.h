// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The floods of bench_ligaflut that need nginx (tools/with-nginx.sh) or many IPv6
// addresses (tools/in-netns.sh): through a proxy, keep-alive slots, the limiter's table,
// stalled page readers.
#pragma once
#include <chrono>

// 200 page reads and 200 submissions at once from 200 addresses through nginx in front of
// two servers, 40 submissions at once while the database is locked for 3 s, and one
// address's 150 submissions shared out over both servers; on a SQLite file and, under
// tools/with-postgres.sh, on PostgreSQL.
void proxyFloods();
// 125 addresses x 16 keep-alive connections, each sending a cheap request every 3.5 s;
// and 256 IPv6 /64s of one /56 x 8 connections.
void keepAliveFloods(std::chrono::seconds length);
// 17,000 addresses sending invalid codes (named in X-Forwarded-For through a named proxy,
// and 17,000 IPv6 /64s of one /48), while 7 fresh clients send one valid code each.
void limiterTableFloods();
// 1,200 connections that ask for the full page and never read: the kernel's memory and
// the server's, per connection.
void stalledReaders();
