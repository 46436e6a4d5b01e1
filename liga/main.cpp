// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The Zundel-League server: receives the game's new best times and shows the league page.
#include "handler.h"
#include "http_server.h"
#include "listen_address.h"
#include "postgres_store.h"
#include "rate_limit.h"
#include "sqlite_store.h"

#include <charconv>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

const char* const usage =
    "usage: zundel-liga --db PATH|URI [--listen ADDRESS:PORT] [--limit N] [--durable]\n"
    "  --db PATH       the league's SQLite file (created when missing)\n"
    "  --db URI        or its PostgreSQL database, which several servers may share:\n"
    "                  postgresql://USER@HOST/DB or \"host=... dbname=...\" (libpq's forms)\n"
    "  --listen A:P    numeric address and port, e.g. 127.0.0.1:8080 or [::]:8080\n"
    "                  (default 127.0.0.1:8080; port 0 takes a free one)\n"
    "  --limit N       submissions per client address and minute (default 20; 0: none)\n"
    "  --durable       answer a submission only once it is on disk; without it, a crash\n"
    "                  of the machine or the database server may lose the last moment's\n"
    "                  entries (never the league's consistency), but commits cost no flush\n";

struct Options {
    std::string db;
    std::string listen = "127.0.0.1:8080";
    unsigned limit = 20;
    bool durable = false;
};

std::optional<Options> parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--durable") {
            o.durable = true;
            continue;
        }
        if (i + 1 >= argc) return std::nullopt;
        const std::string_view value = argv[++i];
        if (arg == "--db") {
            o.db = value;
        } else if (arg == "--listen") {
            o.listen = value;
        } else if (arg == "--limit") {
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), o.limit);
            if (ec != std::errc() || end != value.data() + value.size()) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (o.db.empty()) return std::nullopt;
    return o;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        std::cerr << usage;
        return 2;
    }
    const std::optional<liga::ListenAddress> address = liga::parseListenAddress(options->listen);
    if (!address) {
        std::cerr << "zundel-liga: not a numeric address and port: " << options->listen << "\n";
        return 2;
    }

    // The event loops' threads inherit this mask, so only the wait below takes the signals.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    try {
        const liga::ServerLimits limits;
        std::unique_ptr<liga::Store> store;
        if (liga::namesPostgres(options->db))
            store =
                std::make_unique<liga::PostgresStore>(options->db, limits.readers + limits.writers);
        else
            store = std::make_unique<liga::SqliteStore>(options->db);
        liga::RateLimiter limiter(options->limit);
        liga::League league(*store, limiter);
        liga::HttpServer server(league, *address, limits);
        std::cout << "Zundel-League listening on http://"
                  << liga::addressText(*address, server.port()) << "/" << std::endl;
        int signal = 0;
        sigwait(&stop, &signal);
        std::cout << "Zundel-League stopping" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "zundel-liga: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
