// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "handler.h"
#include "answers.h"
#include "cp1252.h"
#include "ligacode.h"
#include "page.h"

#include <exception>
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

} // namespace

Response League::handle(const Request& r) {
    if (r.headerCount > maxHeaderCount) return plain(431, "Zu viele Kopfzeilen.");
    if (r.bodySize > 0) return plain(413, "Eine Anfrage an die Liga hat keinen Inhalt.");
    if (r.method != "GET" && r.method != "HEAD") return plain(405, "Nur GET.");
    try {
        if (r.path == "/rekord.php") return submit(r);
        if (r.path == "/") return page();
    } catch (const std::exception& e) {
        std::cerr << "liga: " << e.what() << std::endl;
        if (r.path == "/rekord.php") return gameAnswer(storeFailedLine());
        return plain(503, "Die Liga ist gerade nicht erreichbar.");
    }
    return plain(404, "Nicht gefunden.");
}

Response League::submit(const Request& r) {
    if (!limiter_.allow(r.client, r.steadyMs)) return gameAnswer(rateLimitedLine());
    const TCodePruefung p = ligacodePruefen(r.code.value_or(std::string()));
    if (p.befund != TCodeBefund::gut) return gameAnswer(refusalLine(p.befund));
    const Placement placed = store_.submit({p.name, p.stufe, p.zeit, r.unixSeconds, *r.code});
    return gameAnswer(placementLine(placed, p.stufe), readBackLine(p.name, p.zeit));
}

Response League::page() {
    std::lock_guard lock(pageMutex_);
    const uint64_t version = store_.version();
    if (pageVersion_ != version) {
        Boards boards;
        for (std::size_t i = 0; i < boards.size(); ++i)
            boards[i] = store_.board(static_cast<int32_t>(i + 1), boardRows);
        pageHtml_ = renderPage(boards);
        pageVersion_ = version;
    }
    return {200, "text/html; charset=utf-8", pageHtml_};
}

} // namespace liga
