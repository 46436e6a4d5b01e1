// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "page.h"
#include "board_table.h"
#include "periods.h"
#include "stufen.h"
#include "time_text.h"

namespace liga {

namespace {

const char* const intro = R"(
<h1>Zundel-League</h1>
<p>Die schnellsten Zundelfeld-Spieler: je Name die beste Zeit, die besten 100 jeder Spielstufe.</p>
<p>So kommt Ihre Zeit hierher: Gewinnen Sie im Spiel eine neue Bestzeit auf einer der fünf
Spielstufen. Klicken Sie danach im Fenster „Bestzeiten“ auf „übertragen“, und Ihr Name steht
in der Liga. Ein Name hat 6 bis 15 Zeichen: die Buchstaben A bis Z und a bis z (ohne Umlaute
und ß), die Ziffern 0 bis 9 und ! # ( ) , - . / = ? [ ] _, aber kein Leerzeichen. Jedes
andere Zeichen nimmt das Spiel schon beim Tippen wieder heraus, und einen kürzeren Namen nimmt
es nicht an, beides ohne ein Wort.</p>
)";

void appendBoard(std::string& html, const Route& at, int32_t level,
                 const std::vector<BoardRow>& rows) {
    html += "<h2>";
    html += htmlEscape(festeStufe(level).name);
    html += "</h2>\n";
    const TStufe& s = festeStufe(level);
    html += "<p class=\"brett\">" + std::to_string(s.breite) + " × " + std::to_string(s.hoehe) +
            " Felder, " + std::to_string(s.minen) + " Minen</p>\n";
    if (rows.empty())
        html += "<p class=\"leer\">Noch keine Zeiten.</p>\n";
    else
        html += boardTable(at, rows);
    html += "<p>Alle Plätze:";
    for (const Period p : allPeriods)
        html += std::string(p == Period::all ? " " : " · ") + "<a href=\"" +
                hrefTo(at, boardRoute(level, p)) + "\">" + periodTitle(p) + "</a>";
    const Route spread = distributionRoute(level);
    html += " · <a href=\"" + hrefTo(at, spread) + "\">Verteilung der Zeiten</a></p>\n";
}

// Who leads each level this week.
void appendWeekLeaders(std::string& html, const Route& at, const Boards& leaders) {
    html += "<h2>Diese Woche vorn</h2>\n<table "
            "class=\"frei\">\n<thead><tr><th>Spielstufe</th><th>Name</th>"
            "<th class=\"zeit\">Zeit</th></tr></thead>\n<tbody>\n";
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level) {
        const std::vector<BoardRow>& rows = leaders[festeStufeIndex(level)];
        html += "<tr><td><a href=\"" + hrefTo(at, boardRoute(level, Period::week)) + "\">" +
                htmlEscape(festeStufe(level).name) + "</a></td><td class=\"name\">";
        if (rows.empty()) {
            html += "<span class=\"leer\">noch niemand</span></td><td class=\"zeit\"></td></tr>\n";
            continue;
        }
        const char* comma = "";
        for (const BoardRow& r : rows) {
            html += comma + playerLink(at, r.name);
            comma = ", ";
        }
        html +=
            "</td><td class=\"zeit\">" + htmlEscape(timeText(rows.front().tenths)) + "</td></tr>\n";
    }
    html += "</tbody>\n</table>\n";
}

// What a held time means, and the bounds below which a time is held.
void appendReview(std::string& html, const ReviewBounds& review) {
    html += "<h2 id=\"pruefung\">„Ihre Zeit wird geprüft“</h2>\n"
            "<p>Diese Antwort bekommt, wer schneller war als die schnellsten Zeiten, die auf "
            "Feldern dieser Größe je gespielt wurden. Solche Zeiten entstehen fast nur durch "
            "nachgemachte Codes; darum nimmt die Liga sie an, zeigt sie aber erst, wenn der "
            "Betreiber der Liga sie angesehen und freigegeben hat. Das geschieht von Hand und "
            "dauert meist einige Tage, je nachdem, wann er dazu kommt. Bis dahin steht die Zeit "
            "auf keiner Liste; Sie müssen nichts tun und nichts noch einmal senden. Wird sie "
            "abgelehnt, bleibt sie draußen, auch wenn ihr Code noch einmal kommt.</p>\n";
    std::string bounds;
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level) {
        const int32_t bound = review[festeStufeIndex(level)];
        if (bound <= 0) continue;
        bounds += "<li>" + htmlEscape(festeStufe(level).name) + ": unter " +
                  htmlEscape(timeText(bound)) + "</li>";
    }
    if (bounds.empty()) return;
    html +=
        "<p>Geprüft werden in dieser Liga Zeiten</p>\n<ul class=\"verweise\">" + bounds + "</ul>\n";
}

} // namespace

std::string renderPage(const Boards& boards, const OverviewExtras& extras) {
    const Route at;
    std::string html = frameTop(at, "") + intro;
    appendWeekLeaders(html, at, extras.weekLeaders);
    html += periodNote(extras.week, extras.now);
    const Route sum = pageRoute(Page::sum);
    const Route records = pageRoute(Page::records);
    html += "<p>Außerdem: die <a href=\"" + hrefTo(at, sum) +
            "\">Summe</a> der drei klassischen Spielstufen, die <a href=\"" + hrefTo(at, records) +
            "\">neuen Rekorde</a> und was es heißt, wenn <a "
            "href=\"#pruefung\">Ihre Zeit geprüft wird</a>.</p>\n";
    for (int32_t level = stufeAnfaenger; level <= stufeWahnsinn; ++level)
        appendBoard(html, at, level, boards[festeStufeIndex(level)]);
    appendReview(html, extras.review);
    html += frameBottom(at);
    return html;
}

} // namespace liga
