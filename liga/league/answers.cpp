// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "answers.h"
#include "stufen.h"
#include "zeittext.h"

namespace liga {

namespace {
const std::string refused = "Nicht eingetragen: ";
}

std::string placementLine(const Placement& p, int32_t level) {
    if (p.barred) return refused + "Dieser Name ist in der Liga gesperrt.";
    if (p.state == EntryState::rejected)
        return refused + "Die Zeit wurde bei der Prüfung abgelehnt.";
    if (p.state == EntryState::held)
        return std::string(p.alreadyReceived ? "Diese Zeit ist schon eingetragen. " : "") +
               "Ihre Zeit wird geprüft und erscheint nach der Freigabe in der Liga.";
    std::string line = p.alreadyReceived ? "Diese Zeit ist schon eingetragen: Platz " : "Platz ";
    line += std::to_string(p.place) + " von " + std::to_string(p.ranked) + " in der Spielstufe " +
            festeStufe(level).name + ".";
    return line;
}

std::string readBackLine(const std::string& name, int32_t tenths) {
    return name + ", " + zeitText(tenths) + ".";
}

std::string refusalLine(TCodeBefund befund) {
    switch (befund) {
    case TCodeBefund::gut:
        break;
    case TCodeBefund::keinCode:
        return refused + "Es kam kein vollständiger Code an.";
    case TCodeBefund::pruefsumme:
    case TCodeBefund::fueller:
        return refused + "Der Code ist beschädigt.";
    case TCodeBefund::stufe:
        return refused + "Der Code nennt keine der fünf Spielstufen.";
    case TCodeBefund::name:
        return refused + "Der Name im Code ist ungültig.";
    case TCodeBefund::pruefwert:
        return refused + "Zeit und Prüfwert des Codes passen nicht zusammen.";
    case TCodeBefund::zeitMehrdeutig:
        return refused + "Die Zeit ist zu lang, um sie sicher aus dem Code zu lesen.";
    case TCodeBefund::keineZeit:
        return refused + "Eine Zeit von 0,0 Sekunden ist nicht möglich.";
    }
    return refused + "Der Code ist ungültig.";
}

std::string rateLimitedLine() {
    return refused + "Zu viele Übertragungen von Ihrer Adresse in kurzer Zeit.";
}

std::string storeFailedLine() {
    return refused + "Die Liga kann gerade nichts speichern.";
}

std::string spooledLine() {
    return "Ihre Zeit ist angekommen und wird eingetragen, sobald die Liga wieder speichern kann.";
}

std::string clientSpoolFullLine(std::size_t waiting) {
    return refused + "Die Liga kann gerade nichts speichern, und von Ihrer Adresse warten schon " +
           std::to_string(waiting) + " Zeiten darauf.";
}

std::string spoolFullLine() {
    return refused + "Die Liga kann gerade nichts speichern, und ihr Zwischenspeicher ist voll.";
}

} // namespace liga
