// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "umleitung.h"

#include "httpurl.h"

THttpZiel umleitungsZiel(const THttpZiel& bisher, std::string_view wert) {
    THttpZiel z = bisher;
    if (!wert.empty() && wert.front() == '/') {
        z.pfad = wert;
        z.location = "http://" + z.hostName + std::string(wert);
        return z;
    }
    THttpUrlTeile t = ParseURL(wert);
    z.pfad = t.path;
    z.hostName = t.host;
    if (!t.port.empty()) z.port = t.port;
    if (!t.proto.empty() && !t.host.empty()) {
        z.targetHost = t.host;
        if (!t.path.empty()) {
            z.location = t.proto + "://" + t.host + t.path;
        } else {
            z.pfad = "/";
            z.location = t.proto + "://" + t.host;
        }
        return z;
    }
    const std::string proto = t.proto.empty() ? std::string("http") : t.proto;
    if (t.path.empty()) {
        z.location = proto + "://" + z.targetHost + "/" + t.host;
        z.hostName = z.targetHost;
        z.pfad = z.location;
    } else if (!t.host.empty()) {
        z.targetHost = t.host;
    } else {
        z.location = proto + "://" + z.targetHost + z.pfad;
        z.hostName = z.targetHost;
    }
    return z;
}
