// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The Zundel-League server: receives the game's new best times and shows the league page.
#include "forwarded_for.h"
#include "handler.h"
#include "http_server.h"
#include "listen_address.h"
#include "moderation_log.h"
#include "open_store.h"
#include "operator_commands.h"
#include "rate_limit.h"
#include "review.h"
#include "spool.h"
#include "spool_drain.h"
#include "whole_number.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Each reader holds a connection of its own to the database, whose servers allow about a
// hundred by default.
constexpr unsigned maxReaders = 64;

const char* const usage =
    "usage: zundel-liga [--db PATH|URI] [--listen ADDRESS:PORT] [--limit N] [--durable]\n"
    "                   [--review-below LEVEL:TENTHS]... [--proxy ADDRESS]...\n"
    "                   [--spool DIR] [--spool-size N] [--readers N]\n"
    "  --db PATH       the league's SQLite file (created when missing)\n"
    "  --db URI        or its PostgreSQL database, which several servers may share:\n"
    "                  postgresql://USER@HOST/DB or \"host=... dbname=...\" (libpq's forms);\n"
    "                  without --db, the environment variable ZUNDEL_LIGA_DB names it,\n"
    "                  the place for one with a password, which argv shows to everyone\n"
    "  --listen A:P    numeric address and port, e.g. 127.0.0.1:8080 or [::]:8080\n"
    "                  (default 127.0.0.1:8080; port 0 takes a free one)\n"
    "  --limit N       submissions per client address and minute (default 20; 0: none),\n"
    "                  three minutes' worth of them at once\n"
    "  --durable       answer a submission only once it is on disk; without it, a crash\n"
    "                  of the machine or the database server may lose the last moment's\n"
    "                  entries (never the league's consistency), but commits cost no flush\n"
    "  --review-below L:T  hold times below T tenths on level L (1..5) until approved;\n"
    "                  0 holds none (defaults, levels 1 to 5: ";
const char* const usageAfterBounds =
    ")\n"
    "  --proxy A       a reverse proxy's numeric address: its X-Forwarded-For names the\n"
    "                  client (repeatable; from other peers the header is ignored)\n"
    "  --spool DIR     where valid codes wait while the database cannot store them\n"
    "                  (default: PATH-spool beside the SQLite file; for PostgreSQL\n"
    "                  $STATE_DIRECTORY/spool, else ~/.local/state/zundel-liga/spool)\n"
    "  --spool-size N  codes that wait there at most (default 10000, 100 per client)\n"
    "  --readers N     pages read from the database at once, 1 to 64 (default: the\n"
    "                  processors this server may use, at least 2; a database on a\n"
    "                  machine of its own may want more)\n"
    "  --help          this text\n"
    "\n"
    "commands for the operator, also while servers run on the database:\n";

struct Options {
    std::string db;
    std::string listen = "127.0.0.1:8080";
    unsigned limit = 20;
    bool durable = false;
    liga::LeagueSettings league;
    std::vector<in6_addr> proxies;
    std::string spool;
    std::size_t spoolSize = liga::SpoolBounds{}.total;
    unsigned readers = liga::ServerLimits{}.readers;
    bool help = false;
};

// The options, or nothing and why not in `why`.
std::optional<Options> parse(int argc, char** argv, std::string& why) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--durable") {
            o.durable = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return o;
        }
        const bool known = arg == "--db" || arg == "--listen" || arg == "--review-below" ||
                           arg == "--proxy" || arg == "--limit" || arg == "--spool" ||
                           arg == "--spool-size" || arg == "--readers";
        if (!known) {
            why = "unknown option " + std::string(arg);
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            why = std::string(arg) + " needs a value";
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        why = "not a value for " + std::string(arg) + ": " + std::string(value);
        if (arg == "--db") {
            o.db = value;
        } else if (arg == "--listen") {
            o.listen = value;
        } else if (arg == "--review-below") {
            const auto bound = liga::parseReviewBound(value);
            if (!bound) return std::nullopt;
            o.league.review[festeStufeIndex(bound->first)] = bound->second;
        } else if (arg == "--proxy") {
            const std::optional<in6_addr> proxy = liga::parseAddress(value);
            if (!proxy) return std::nullopt;
            o.proxies.push_back(*proxy);
        } else if (arg == "--limit") {
            const std::optional<unsigned> limit = liga::wholeNumber<unsigned>(value);
            if (!limit) return std::nullopt;
            o.limit = *limit;
        } else if (arg == "--readers") {
            const std::optional<unsigned> readers = liga::wholeNumber<unsigned>(value);
            if (!readers || *readers == 0 || *readers > maxReaders) return std::nullopt;
            o.readers = *readers;
        } else if (arg == "--spool") {
            if (value.empty()) return std::nullopt;
            o.spool = value;
        } else {
            const std::optional<std::size_t> size = liga::wholeNumber<std::size_t>(value);
            if (!size || *size == 0) return std::nullopt;
            o.spoolSize = *size;
        }
        why.clear();
    }
    o.db = liga::databaseSetting(o.db);
    if (o.db.empty()) {
        why = "--db is missing, and ZUNDEL_LIGA_DB names no database";
        return std::nullopt;
    }
    return o;
}

void printUsage(std::ostream& out) {
    out << usage;
    const char* comma = "";
    for (const int32_t bound : liga::defaultReviewBounds()) {
        out << comma << bound;
        comma = ", ";
    }
    out << usageAfterBounds << liga::operatorUsage();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && liga::isOperatorCommand(argv[1]))
        return liga::runOperatorCommand(argc, argv, std::cout, std::cerr);
    std::string why;
    const std::optional<Options> options = parse(argc, argv, why);
    if (!options) {
        std::cerr << "zundel-liga: " << why << " (zundel-liga --help lists the options)\n";
        return 2;
    }
    if (options->help) {
        printUsage(std::cout);
        return 0;
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
        liga::ServerLimits limits;
        limits.proxies = options->proxies;
        limits.readers = options->readers;
        // One more connection for the log of what operators change.
        const std::unique_ptr<liga::Store> store = liga::openStore(
            options->db, limits.readers + limits.writers + 1,
            options->durable ? liga::Durability::flushEachCommit : liga::Durability::flushLater);
        const liga::SpoolBounds bounds{options->spoolSize,
                                       std::min(liga::SpoolBounds{}.perClient, options->spoolSize)};
        liga::Spool spool(options->spool.empty() ? liga::defaultSpoolFolder(options->db)
                                                 : options->spool,
                          bounds);
        liga::RateLimiter limiter(options->limit);
        liga::League league(*store, limiter, options->league, &spool);
        liga::SpoolDrain drain(*store, spool, options->league.review, std::cerr);
        liga::ModerationLog log(*store, std::cerr);
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
