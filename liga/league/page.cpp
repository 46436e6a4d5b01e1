// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "page.h"
#include "local_time.h"
#include "stufen.h"
#include "zeittext.h"

#include <ctime>

namespace liga {

namespace {

const char* const head = R"(<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Zundel-League</title>
<link rel="alternate" type="application/json" href="liga.json">
<style>
body { margin: 0 auto; max-width: 46rem; padding: 1rem; font-family: system-ui, sans-serif;
       color: #1d1d1d; background: #f4f4f0; line-height: 1.4; }
h1 { margin: 0.5rem 0 0.25rem; font-size: 1.8rem; }
h2 { margin: 1.75rem 0 0.25rem; font-size: 1.25rem; border-bottom: 2px solid #b22222; }
p { margin: 0.25rem 0; }
p.brett { margin: 0 0 0.5rem; color: #555; font-size: 0.9rem; }
p.fuss { margin-top: 2rem; color: #555; font-size: 0.85rem; }
a { color: #8b1a1a; }
table { width: 100%; border-collapse: collapse; background: #fff; table-layout: fixed; }
th.platz { width: 3.5rem; }
th.zeit { width: 9rem; }
th.datum { width: 6.5rem; }
th, td { padding: 0.35rem 0.5rem; text-align: left; }
th { font-size: 0.85rem; color: #555; border-bottom: 1px solid #ccc; }
tbody tr:nth-child(even) { background: #f0f0ec; }
.platz, .zeit { text-align: right; font-variant-numeric: tabular-nums; }
.zeit, .datum { white-space: nowrap; }
.name { overflow-wrap: anywhere; font-weight: 600; }
.leer { color: #666; font-style: italic; }
.datum-schmal { display: none; }
@media (max-width: 30rem) {
  body { padding: 0.5rem; font-size: 0.9rem; }
  th, td { padding: 0.3rem 0.25rem; }
  .datum { display: none; }
  th.platz { width: 2.75rem; }
  th.zeit { width: 8.25rem; }
  .datum-schmal { display: block; font-size: 0.8rem; color: #555; }
}
</style>
</head>
<body>
<h1>Zundel-League</h1>
<p>Die schnellsten Zundelfeld-Spieler: je Name die beste Zeit, die besten 100 jeder Spielstufe.</p>
<p>So kommt Ihre Zeit hierher: Gewinnen Sie im Spiel eine neue Bestzeit auf einer der fünf
Spielstufen. Klicken Sie danach im Fenster „Bestzeiten“ auf „übertragen“, und Ihr Name steht
in der Liga. Ein Name hat 6 bis 15 Zeichen: die Buchstaben A bis Z und a bis z (ohne Umlaute
und ß), die Ziffern 0 bis 9 und ! # ( ) , - . / = ? [ ] _, aber kein Leerzeichen. Jedes
andere Zeichen nimmt das Spiel schon beim Tippen wieder heraus, und einen kürzeren Namen nimmt
es nicht an, beides ohne ein Wort.</p>
)";

const char* const foot =
    R"(<p class="fuss">Die Listen gibt es auch als Daten: <a href="liga.json">liga.json</a></p>
</body>
</html>
)";

void appendBoard(std::string& html, int32_t level, const std::vector<BoardRow>& rows) {
    html += "<h2>";
    html += htmlEscape(festeStufe(level).name);
    html += "</h2>\n";
    const TStufe& s = festeStufe(level);
    html += "<p class=\"brett\">" + std::to_string(s.breite) + " × " + std::to_string(s.hoehe) +
            " Felder, " + std::to_string(s.minen) + " Minen</p>\n";
    if (rows.empty()) {
        html += "<p class=\"leer\">Noch keine Zeiten.</p>\n";
        return;
    }
    html += "<table>\n<thead><tr><th class=\"platz\">Platz</th><th>Name</th>"
            "<th class=\"zeit\">Zeit</th><th class=\"datum\">Datum</th></tr></thead>\n<tbody>\n";
    // On a narrow screen the date moves under the time, so that a long name keeps its line.
    for (const BoardRow& r : rows) {
        const std::string datum = dateText(r.receivedAt);
        html += "<tr><td class=\"platz\">" + std::to_string(r.place) + ".</td><td class=\"name\">";
        html += htmlEscape(r.name);
        html += "</td><td class=\"zeit\">" + htmlEscape(zeitText(r.tenths)) +
                "<span class=\"datum-schmal\" aria-hidden=\"true\">" + datum +
                "</span></td><td class=\"datum\">" + datum + "</td></tr>\n";
    }
    html += "</tbody>\n</table>\n";
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

std::string renderPage(const Boards& boards) {
    std::string html = head;
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
        appendBoard(html, level, boards[festeStufeIndex(level)]);
    html += foot;
    return html;
}

} // namespace liga
