// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "html.h"
#include "page_context.h"
#include "page_data.h"
#include "time_text.h"

namespace liga {

Rendered notFound(const Route& at, std::string_view why) {
    if (at.json) return {404, jsonError(why)};
    return {404, frameTop(at, "Nicht gefunden") + "<h1>Nicht gefunden</h1>\n<p>" + htmlEscape(why) +
                     "</p>\n<p>Die <a href=\"" + hrefTo(at, Route{}) +
                     "\">Übersicht</a> führt zu allen Listen; das Suchfeld oben findet einen "
                     "Namen.</p>\n" +
                     frameBottom(at)};
}

Rendered beyondLastPage(const Route& at, int64_t pages) {
    return notFound(at, "Diese Liste hat nur " + countText(pages) +
                            (pages == 1 ? " Seite." : " Seiten."));
}

} // namespace liga
