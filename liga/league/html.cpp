// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "html.h"
#include "local_time.h"
#include "periods.h"
#include "stufen.h"

namespace liga {

namespace {

#ifndef ZUNDEL_WEBSITE
#define ZUNDEL_WEBSITE "https://zundelfeld.example"
#endif

// One style for every page: readable on a phone, no width that makes a page scroll
// sideways, tables whose long names wrap.
const char* const style = R"(<style>
*, *::before, *::after { box-sizing: border-box; }
body { margin: 0 auto; max-width: 48rem; padding: 0 1rem 1rem; font-family: system-ui, sans-serif;
       color: #1d1d1d; background: #f4f4f0; line-height: 1.4; }
header.kopf { display: flex; flex-wrap: wrap; align-items: center; gap: 0.4rem 1rem;
              padding: 0.6rem 0; border-bottom: 2px solid #b22222; }
.marke { font-weight: 700; font-size: 1.1rem; color: #1d1d1d; text-decoration: none; }
nav ul { display: flex; flex-wrap: wrap; gap: 0.2rem 0.8rem; margin: 0; padding: 0;
         list-style: none; }
form.suche { display: flex; gap: 0.3rem; margin-left: auto; }
form.suche input { width: 9rem; min-width: 0; font: inherit; padding: 0.15rem 0.3rem; }
form.suche button { font: inherit; padding: 0.15rem 0.5rem; }
.versteckt { position: absolute; width: 1px; height: 1px; overflow: hidden;
             clip: rect(0 0 0 0); white-space: nowrap; }
h1 { margin: 1rem 0 0.25rem; font-size: 1.8rem; overflow-wrap: anywhere; }
h2 { margin: 1.75rem 0 0.25rem; font-size: 1.25rem; border-bottom: 2px solid #b22222; }
h3 { margin: 1.25rem 0 0.25rem; font-size: 1.05rem; }
p { margin: 0.25rem 0; }
p.brett, p.hinweis { margin: 0 0 0.5rem; color: #555; font-size: 0.9rem; }
a { color: #8b1a1a; }
table { width: 100%; border-collapse: collapse; background: #fff; table-layout: fixed; }
table.frei { table-layout: auto; }
table.frei th.zeit { width: auto; }
th.platz { width: 3.5rem; }
th.zeit { width: 9rem; }
th.datum { width: 6.5rem; }
th, td { padding: 0.35rem 0.5rem; text-align: left; }
th { font-size: 0.85rem; color: #555; border-bottom: 1px solid #ccc; }
tbody tr:nth-child(even) { background: #f0f0ec; }
tr.selbst, tbody tr.selbst:nth-child(even) { background: #fde9c8; }
.platz, .zeit { text-align: right; font-variant-numeric: tabular-nums; }
.zeit, .datum { white-space: nowrap; }
.name { overflow-wrap: anywhere; font-weight: 600; }
.leer { color: #666; font-style: italic; }
.datum-schmal, .stufen-schmal { display: none; }
ul.rekorde { margin: 0.5rem 0; padding: 0; list-style: none; }
ul.rekorde li { padding: 0.35rem 0.5rem; background: #fff; border-bottom: 1px solid #e4e4de; }
.datum-fest { color: #555; font-variant-numeric: tabular-nums; margin-right: 0.5rem; }
table.summe th.stufe { width: 7.5rem; white-space: normal; }
td a { text-decoration-thickness: 1px; text-underline-offset: 0.15em; }
svg text.marke { paint-order: stroke; stroke: #fff; stroke-width: 4px; }
nav.zeitraum ul, nav.blaettern ul { margin: 0.5rem 0; }
nav.zeitraum [aria-current] { font-weight: 700; color: #1d1d1d; text-decoration: none; }
nav.blaettern { margin: 0.5rem 0; }
nav.blaettern ul { align-items: baseline; }
ul.verweise { margin: 0.25rem 0; padding-left: 1.2rem; }
figure { margin: 0.5rem 0 1rem; }
svg.diagramm { display: block; width: 100%; max-width: 36rem; height: auto; background: #fff; }
figcaption { font-size: 0.85rem; color: #555; }
details { margin: 0.25rem 0 0.75rem; }
footer.fuss { margin-top: 2rem; padding-top: 0.5rem; border-top: 1px solid #ccc; color: #555;
              font-size: 0.85rem; }
@media (max-width: 30rem) {
  body { padding: 0 0.5rem 0.5rem; font-size: 0.9rem; }
  form.suche { margin-left: 0; width: 100%; }
  form.suche input { flex: 1; }
  th, td { padding: 0.3rem 0.25rem; }
  .datum { display: none; }
  th.platz { width: 2.75rem; }
  th.zeit { width: 8.25rem; }
  .datum-schmal { display: block; font-size: 0.8rem; color: #555; }
}
@media (max-width: 40rem) {
  table.summe .stufe { display: none; }
  .stufen-schmal { display: block; font-size: 0.8rem; font-weight: 400; color: #555; }
}
</style>
)";

std::string href(const Route& from, const std::string& target) {
    const std::string address = rootFrom(from) + target;
    return htmlEscape(address.empty() ? "./" : address);
}

} // namespace

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string hrefTo(const Route& from, const Route& to) {
    return href(from, routeHref(to));
}

std::string playerLink(const Route& from, const std::string& name) {
    const Route player = playerRoute(name);
    return "<a href=\"" + hrefTo(from, player) + "\">" + htmlEscape(name) + "</a>";
}

std::string frameTop(const Route& at, std::string_view title) {
    Route data = at;
    data.json = true;
    std::string html = "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>";
    if (!title.empty()) html += htmlEscape(title) + " – ";
    html += "Zundel-League</title>\n<link rel=\"icon\" type=\"image/png\" href=\"" +
            href(at, "favicon.ico") + "\">\n";
    if (at.page != Page::records || !at.atom)
        html += "<link rel=\"alternate\" type=\"application/json\" href=\"" + hrefTo(at, data) +
                "\">\n";
    html += "<link rel=\"alternate\" type=\"application/atom+xml\" "
            "title=\"Neue Rekorde der Zundel-League\" href=\"" +
            href(at, "rekorde.atom") + "\">\n";
    html += style;
    html += "</head>\n<body>\n<header class=\"kopf\">\n<a class=\"marke\" href=\"" + href(at, "") +
            "\">Zundel-League</a>\n<nav aria-label=\"Bereiche\">\n<ul>";
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
        html += "<li><a href=\"" + href(at, "stufe/" + std::to_string(level)) + "\">" +
                htmlEscape(festeStufe(level).name) + "</a></li>";
    html += "<li><a href=\"" + href(at, "summe") + "\">Summe</a></li><li><a href=\"" +
            href(at, "rekorde") + "\">Rekorde</a></li></ul>\n</nav>\n";
    html += "<form class=\"suche\" role=\"search\" action=\"" + href(at, "suche") +
            "\" method=\"get\">\n<label class=\"versteckt\" for=\"suchname\">Name suchen</label>"
            "<input id=\"suchname\" name=\"name\" type=\"search\" maxlength=\"15\" "
            "placeholder=\"Name\" autocomplete=\"off\" value=\"" +
            htmlEscape(at.page == Page::search ? at.name : std::string()) +
            "\"><button type=\"submit\">Suchen</button>\n</form>\n</header>\n<main>\n";
    return html;
}

std::string frameBottom(const Route& at) {
    Route data = at;
    data.json = true;
    const std::string dataLink = hrefTo(at, data);
    return "</main>\n<footer class=\"fuss\">\n<p>Diese Seite gibt es auch als Daten: <a href=\"" +
           dataLink + "\">" + (at.page == Page::overview ? "liga.json" : "JSON") +
           "</a> · Neue Rekorde als <a href=\"" + href(at, "rekorde.atom") +
           "\">Atom-Feed</a></p>\n<p>Die Liga des Spiels <a href=\"" ZUNDEL_WEBSITE
           "/\">Zundelfeld</a></p>\n</footer>\n</body>\n</html>\n";
}

int64_t pageCount(int64_t rows) {
    return rows <= 0 ? 1 : (rows + rowsPerPage - 1) / rowsPerPage;
}

std::string pager(const Route& at, int64_t pages, std::string_view where) {
    if (pages <= 1) return {};
    std::string html =
        "<nav class=\"blaettern\" aria-label=\"Seiten, " + std::string(where) + "\">\n<ul>";
    if (at.pageNumber > 1)
        html += "<li><a rel=\"prev\" href=\"" +
                hrefTo(at, *pageNumbered(at, at.pageNumber - 1, pages)) + "\">« zurück</a></li>";
    if (at.pageNumber > 2)
        html += "<li><a href=\"" + hrefTo(at, *pageNumbered(at, 1, pages)) + "\">Seite 1</a></li>";
    html +=
        "<li>Seite " + std::to_string(at.pageNumber) + " von " + std::to_string(pages) + "</li>";
    if (at.pageNumber < pages)
        html += "<li><a rel=\"next\" href=\"" +
                hrefTo(at, *pageNumbered(at, at.pageNumber + 1, pages)) + "\">weiter »</a></li>";
    return html + "</ul>\n</nav>\n";
}

std::string periodTabs(const Route& at) {
    std::string html = "<nav class=\"zeitraum\" aria-label=\"Zeitraum\">\n<ul>";
    for (const Period p : allPeriods) {
        Route r = at;
        r.period = p;
        r.pageNumber = 1;
        r.before.reset();
        html += "<li><a href=\"" + hrefTo(at, r) + "\"" +
                (p == at.period ? " aria-current=\"page\"" : "") + ">" + periodTitle(p) +
                "</a></li>";
    }
    return html + "</ul>\n</nav>\n";
}

std::string periodNote(const PeriodStart& period, int64_t now) {
    const char* since = period.period == Period::week    ? "Diese Woche, seit Montag, "
                        : period.period == Period::month ? "Dieser Monat, seit "
                        : period.period == Period::year  ? "Dieses Jahr, seit "
                                                         : nullptr;
    std::string html = "<p class=\"hinweis\">";
    if (since)
        html += since + localTimeText(period.from, "%d.%m.%Y, %H:%M Uhr") +
                "; es zählen nur Zeiten, die seitdem kamen. ";
    return html + "Zeitzone der Liga: " + htmlEscape(zoneText(now)) + ".</p>\n";
}

} // namespace liga
