// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "handler.h"
#include "answers.h"
#include "board_page.h"
#include "conditional.h"
#include "cp1252.h"
#include "distribution_page.h"
#include "favicon.h"
#include "feed.h"
#include "ligacode.h"
#include "page.h"
#include "player_page.h"
#include "records_page.h"
#include "search_page.h"
#include "stufen.h"
#include "sum_page.h"

#include <sys/socket.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>

namespace liga {

namespace {

Response plain(int status, const std::string& text) {
    return {status, "text/plain; charset=utf-8", text + "\r\n"};
}

// The game shows the first line of an answer as Windows-1252 text; the answer is sent in
// that charset so that "Anfänger" reads right there and in a browser alike.
Response gameAnswer(const std::string& firstLine, const std::string& secondLine = {}) {
    std::string body = utf8NachCp1252(firstLine) + "\r\n";
    if (!secondLine.empty()) body += utf8NachCp1252(secondLine) + "\r\n";
    return {200, "text/plain; charset=windows-1252", std::move(body)};
}

const char* contentTypeOf(const Route& route) {
    if (route.atom) return "application/atom+xml; charset=utf-8";
    if (route.json) return "application/json; charset=utf-8";
    return "text/html; charset=utf-8";
}

// What tells this build's pages from another's: a hash of the program's own file, the same
// in every process of one build, so that after an update no client keeps a page of the
// old one for the same state of the league.
const std::string& buildTag() {
    static const std::string tag = [] {
        uint64_t hash = 14695981039346656037ull;
        std::ifstream program("/proc/self/exe", std::ios::binary);
        char buffer[65536];
        while (program.read(buffer, sizeof buffer) || program.gcount() > 0) {
            for (std::streamsize i = 0; i < program.gcount(); ++i)
                hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        }
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
        return std::string(text, 8);
    }();
    return tag;
}

bool submits(const Request& r) {
    const std::optional<Route> route = parseRoute(r.path, r.arguments);
    return route && route->page == Page::submit;
}

} // namespace

Submission submissionOf(const TCodePruefung& judged, const std::string& code, int64_t receivedAt,
                        const ReviewBounds& review) {
    return {judged.name, judged.stufe, judged.zeit,
            receivedAt,  code,         heldForReview(review, judged.stufe, judged.zeit)};
}

Plan League::plan(const Request& r) {
    if (r.headerCount > maxHeaderCount) return {plain(431, "Zu viele Kopfzeilen."), false};
    if (r.bodySize > 0) return {plain(413, "Eine Anfrage an die Liga hat keinen Inhalt."), false};
    if (r.method != "GET" && r.method != "HEAD") return {plain(405, "Nur GET."), false};
    const std::optional<Route> route = parseRoute(r.path, r.arguments);
    if (!route) return {plain(404, "Nicht gefunden."), false};
    if (route->page == Page::favicon) {
        Response icon(200, "image/png", std::string(faviconPng()));
        icon.headers = {{"Cache-Control", "public, max-age=604800"}};
        return {std::move(icon), false};
    }
    if (route->page != Page::submit) return {std::nullopt, false};
    // Only GET submits: HEAD is answered alike, but stores nothing and costs no token.
    const bool head = r.method == "HEAD";
    if (!head && !limiter_.allow(r.client, r.steadyMs))
        return {gameAnswer(rateLimitedLine()), false};
    const TCodePruefung p = ligacodePruefen(r.code.value_or(std::string()));
    if (p.befund != TCodeBefund::gut) return {gameAnswer(refusalLine(p.befund)), false};
    if (head) return {gameAnswer(readBackLine(p.name, p.zeit)), false};
    return {std::nullopt, true};
}

Response League::unavailable(const Request& r) {
    if (submits(r)) return gameAnswer(storeFailedLine());
    return plain(503, "Die Liga ist gerade nicht erreichbar.");
}

Response League::busy(const Request& r) {
    if (submits(r)) return gameAnswer(rateLimitedLine());
    return plain(503, "Zu viele Anfragen von Ihrer Adresse zugleich.");
}

Response League::answerLater(const Request& r, Deadline until) {
    const std::optional<Route> route = parseRoute(r.path, r.arguments);
    if (route && route->page == Page::submit) return submit(r, until);
    try {
        if (route && Deadline::clock::now() < until) return page(r, *route, until);
    } catch (const StoreGone&) {
    } catch (const std::exception& e) {
        std::cerr << "liga: " << e.what() << std::endl;
    }
    return unavailable(r);
}

Response League::handle(const Request& r) {
    Plan p = plan(r);
    if (p.answer) return std::move(*p.answer);
    return answerLater(r, waitFromNow());
}

namespace {
// The client as the limits count it: an IPv4 address or an IPv6 /64.
std::string clientGroupOf(const Request& r) {
    return groupText(groupsOf(r.client).client());
}
} // namespace

SharedLimit League::sharedLimit(const Request& r) {
    // Every server on the database counts the client alike.
    SharedLimit limit;
    if (limiter_.perMinute() > 0) {
        limit = {clientGroupOf(r), limiter_.perMinute(), limiter_.burst(), r.unixSeconds * 1000};
        // Buckets that have filled up again count as none; once a minute they go.
        int64_t swept = sweptAt_;
        limit.sweep =
            r.unixSeconds >= swept + 60 && sweptAt_.compare_exchange_strong(swept, r.unixSeconds);
    }
    return limit;
}

Response League::submit(const Request& r, Deadline until) {
    const TCodePruefung p = ligacodePruefen(r.code.value_or(std::string()));
    if (p.befund != TCodeBefund::gut) return gameAnswer(refusalLine(p.befund));
    Submission entry = submissionOf(p, *r.code, r.unixSeconds, settings_.review);
    entry.limit = sharedLimit(r);
    const std::string readBack = readBackLine(p.name, p.zeit);
    // While the store is known to be away, a code waits for nobody.
    if (spool_ && spool_->storeAway()) return spooled(r, entry, readBack);
    try {
        if (Deadline::clock::now() < until) {
            const Placement placed = store_.submit(entry, until);
            if (placed.limited) return gameAnswer(rateLimitedLine());
            return gameAnswer(placementLine(placed, p.stufe), readBack);
        }
    } catch (const StoreGone&) {
        if (spool_) spool_->markStoreAway();
    } catch (const std::exception& e) {
        if (!spool_)
            std::cerr << "liga: " << e.what() << std::endl;
        else if (spool_->markStoreAway())
            std::cerr << "liga: " << e.what() << "; codes wait in " << spool_->folder()
                      << " until the league can store them" << std::endl;
    }
    return spooled(r, entry, readBack);
}

Response League::spooled(const Request& r, const Submission& entry, const std::string& readBack) {
    if (!spool_) return gameAnswer(storeFailedLine());
    switch (spool_->add({entry.receivedAt, entry.code, clientGroupOf(r)})) {
    case SpoolAnswer::kept:
    case SpoolAnswer::keptBefore:
        return gameAnswer(spooledLine(), readBack);
    case SpoolAnswer::clientFull:
        return gameAnswer(clientSpoolFullLine(spool_->bounds().perClient), readBack);
    case SpoolAnswer::full:
        return gameAnswer(spoolFullLine(), readBack);
    case SpoolAnswer::failed:
        break;
    }
    return gameAnswer(storeFailedLine(), readBack);
}

Response League::page(const Request& r, const Route& route, Deadline until) {
    const VersionStamp stamp = views_.versionStamp(until);
    // A period that begins changes the pages without a change to the league.
    const CacheStamp now{stamp.version, latestPeriodStart(r.unixSeconds)};
    // Appended piece by piece: g++ 12 takes a one-letter text put before a string for an
    // overlapping copy.
    std::string etag(1, '"');
    etag += std::to_string(now.version) + "-" + std::to_string(now.periodStart) + "-" + buildTag();
    etag += '"';
    const int64_t lastModified = std::max(stamp.changedAt, now.periodStart);
    const auto withValidators = [&](Response response) {
        response.headers = {{"ETag", etag},
                            {"Last-Modified", httpDate(lastModified)},
                            {"Cache-Control", "no-cache"}};
        return response;
    };
    if (notModified(r, etag, lastModified)) return withValidators(Response(304));

    // Written after the version was read: whatever it shows that is newer than that only
    // makes the next reader write it once more.
    const std::string key = routeHref(route);
    std::shared_ptr<const Rendered> written = pages_.find(key, now);
    if (!written) {
        const PageContext context{views_, until, r.unixSeconds, periodStarts(r.unixSeconds),
                                  settings_.review};
        Rendered fresh;
        switch (route.page) {
        case Page::board:
            fresh = boardPage(route, context);
            break;
        case Page::sum:
            fresh = sumPage(route, context);
            break;
        case Page::player:
            fresh = playerPage(route, context);
            break;
        case Page::search:
            fresh = searchPage(route, context);
            break;
        case Page::distribution:
            fresh = distributionPage(route, context);
            break;
        case Page::records:
            fresh = recordsPage(route, context);
            break;
        default:
            fresh = overview(route, context);
        }
        written = std::make_shared<const Rendered>(std::move(fresh));
        pages_.put(key, now, written);
    }
    // The written page is lent to the answer, never copied.
    Response answer(written->status, contentTypeOf(route));
    answer.shared = std::shared_ptr<const std::string>(written, &written->body);
    return withValidators(std::move(answer));
}

Rendered League::overview(const Route& route, const PageContext& c) {
    Boards read;
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
        read[festeStufeIndex(level)] = store_.board(level, boardRows, c.until);
    if (route.json) return {200, renderFeed(read)};
    OverviewExtras extras;
    extras.week = c.periodOf(Period::week);
    extras.now = c.now;
    extras.review = settings_.review;
    // Everyone who shares the first place, of the first few rows.
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level) {
        BoardPage week = views_.boardPage(level, extras.week, {0, 3}, c.until);
        std::erase_if(week.rows, [](const BoardRow& row) { return row.place != 1; });
        extras.weekLeaders[festeStufeIndex(level)] = std::move(week.rows);
    }
    return {200, renderPage(read, extras)};
}

} // namespace liga
