// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "redirect.h"

#include "httpurl.h"

THttpTarget redirectTarget(const THttpTarget& current, std::string_view value) {
    THttpTarget z = current;
    if (!value.empty() && value.front() == '/') {
        z.path = value;
        z.location = "http://" + z.hostName + std::string(value);
        return z;
    }
    THttpUrlParts t = ParseURL(value);
    z.path = t.path;
    z.hostName = t.host;
    if (!t.port.empty()) z.port = t.port;
    if (!t.proto.empty() && !t.host.empty()) {
        z.targetHost = t.host;
        if (!t.path.empty()) {
            z.location = t.proto + "://" + t.host + t.path;
        } else {
            z.path = "/";
            z.location = t.proto + "://" + t.host;
        }
        return z;
    }
    const std::string proto = t.proto.empty() ? std::string("http") : t.proto;
    if (t.path.empty()) {
        z.location = proto + "://" + z.targetHost + "/" + t.host;
        z.hostName = z.targetHost;
        z.path = z.location;
    } else if (!t.host.empty()) {
        z.targetHost = t.host;
    } else {
        z.location = proto + "://" + z.targetHost + z.path;
        z.hostName = z.targetHost;
    }
    return z;
}
