// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "handler.h"
#include "answers.h"
#include "cp1252.h"
#include "ligacode.h"
#include "page.h"
#include "stufen.h"

#include <exception>
#include <iostream>

namespace liga {

namespace {

const char* const submitPath = "/rekord.php";

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

Plan League::plan(const Request& r) {
    if (r.headerCount > maxHeaderCount) return {plain(431, "Zu viele Kopfzeilen."), false};
    if (r.bodySize > 0) return {plain(413, "Eine Anfrage an die Liga hat keinen Inhalt."), false};
    if (r.method != "GET" && r.method != "HEAD") return {plain(405, "Nur GET."), false};
    if (r.path == "/") return {std::nullopt, false};
    if (r.path != submitPath) return {plain(404, "Nicht gefunden."), false};
    if (!limiter_.allow(r.client, r.steadyMs)) return {gameAnswer(rateLimitedLine()), false};
    const TCodePruefung p = ligacodePruefen(r.code.value_or(std::string()));
    if (p.befund != TCodeBefund::gut) return {gameAnswer(refusalLine(p.befund)), false};
    return {std::nullopt, true};
}

Response League::unavailable(const Request& r) {
    if (r.path == submitPath) return gameAnswer(storeFailedLine());
    return plain(503, "Die Liga ist gerade nicht erreichbar.");
}

Response League::answerFromStore(const Request& r, Deadline until) {
    try {
        if (Deadline::clock::now() < until)
            return r.path == submitPath ? submit(r, until) : page(until);
    } catch (const std::exception& e) {
        std::cerr << "liga: " << e.what() << std::endl;
    }
    return unavailable(r);
}

Response League::handle(const Request& r) {
    Plan p = plan(r);
    if (p.answer) return std::move(*p.answer);
    return answerFromStore(r, waitFromNow());
}

Response League::submit(const Request& r, Deadline until) {
    const TCodePruefung p = ligacodePruefen(r.code.value_or(std::string()));
    if (p.befund != TCodeBefund::gut) return gameAnswer(refusalLine(p.befund));
    const Placement placed =
        store_.submit({p.name, p.stufe, p.zeit, r.unixSeconds, *r.code}, until);
    return gameAnswer(placementLine(placed, p.stufe), readBackLine(p.name, p.zeit));
}

Response League::page(Deadline until) {
    const uint64_t version = store_.version(until);
    {
        std::lock_guard lock(pageMutex_);
        if (pageVersion_ == version) return {200, "text/html; charset=utf-8", pageHtml_};
    }
    // Read after the version: whatever the boards show that is newer than it only makes
    // the next reader build the page once more.
    Boards boards;
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
        boards[festeStufeIndex(level)] = store_.board(level, boardRows, until);
    std::string html = renderPage(boards);
    std::lock_guard lock(pageMutex_);
    if (!pageVersion_ || *pageVersion_ < version) {
        pageHtml_ = html;
        pageVersion_ = version;
    }
    return {200, "text/html; charset=utf-8", std::move(html)};
}

} // namespace liga
