// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board_table.h"
#include "html.h"
#include "local_time.h"
#include "time_text.h"

namespace liga {

std::string boardTable(const Route& at, const std::vector<BoardRow>& rows, std::string_view self) {
    std::string html = "<table>\n<thead><tr><th class=\"platz\">Platz</th><th>Name</th>"
                       "<th class=\"zeit\">Zeit</th><th class=\"datum\">Datum</th></tr></thead>\n"
                       "<tbody>\n";
    // On a narrow screen the date moves under the time, so that a long name keeps its line.
    for (const BoardRow& r : rows) {
        const std::string date = dateText(r.receivedAt);
        html += r.name == self ? "<tr class=\"selbst\">" : "<tr>";
        html += "<td class=\"platz\">" + countText(r.place) + ".</td><td class=\"name\">" +
                playerLink(at, r.name) + "</td><td class=\"zeit\">" +
                htmlEscape(timeText(r.tenths)) +
                "<span class=\"datum-schmal\" aria-hidden=\"true\">" + date +
                "</span></td><td class=\"datum\">" + date + "</td></tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

} // namespace liga
