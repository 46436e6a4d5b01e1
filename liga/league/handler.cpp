// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "handler.h"
#include "answers.h"
#include "cp1252.h"
#include "feed.h"
#include "ligacode.h"
#include "page.h"
#include "stufen.h"

#include <exception>
#include <iostream>

namespace liga {

namespace {

const char* const submitPath = "/rekord.php";
const char* const pagePath = "/";
const char* const feedPath = "/liga.json";

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
    if (r.path == pagePath || r.path == feedPath) return {std::nullopt, false};
    if (r.path != submitPath) return {plain(404, "Nicht gefunden."), false};
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
    if (r.path == submitPath) return gameAnswer(storeFailedLine());
    return plain(503, "Die Liga ist gerade nicht erreichbar.");
}

Response League::busy(const Request& r) {
    if (r.path == submitPath) return gameAnswer(rateLimitedLine());
    return plain(503, "Zu viele Anfragen von Ihrer Adresse zugleich.");
}

Response League::answerLater(const Request& r, Deadline until) {
    if (r.path == submitPath) return submit(r, until);
    try {
        if (Deadline::clock::now() < until) return boards(r, until);
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

Response League::boards(const Request& r, Deadline until) {
    const auto answer = [&](const Rendered& c) -> Response {
        if (r.path == feedPath) return {200, "application/json; charset=utf-8", {}, c.json};
        return {200, "text/html; charset=utf-8", {}, c.html};
    };
    const uint64_t version = store_.version(until);
    {
        std::lock_guard lock(renderedMutex_);
        if (rendered_ && rendered_->version == version) return answer(*rendered_);
    }
    // Read after the version: whatever the boards show that is newer than it only makes
    // the next reader build them once more.
    Boards read;
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
        read[festeStufeIndex(level)] = store_.board(level, boardRows, until);
    Rendered fresh{version, std::make_shared<const std::string>(renderPage(read)),
                   std::make_shared<const std::string>(renderFeed(read))};
    Response response = answer(fresh);
    std::lock_guard lock(renderedMutex_);
    if (!rendered_ || rendered_->version < version) rendered_ = std::move(fresh);
    return response;
}

} // namespace liga
