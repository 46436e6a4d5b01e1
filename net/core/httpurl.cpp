// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpurl.h"

#include <strings.h>

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

void splitAuthority(std::string_view a, THttpUrlParts& t) {
    std::size_t colon = a.rfind(':');
    std::size_t at = a.rfind('@');
    std::string_view credentials;
    if (colon == std::string_view::npos && at == std::string_view::npos) {
        t.host = a;
        return;
    }
    if (colon != std::string_view::npos && (at == std::string_view::npos || colon > at)) {
        t.port = a.substr(colon + 1);
        std::size_t hostStart = at == std::string_view::npos ? 0 : at + 1;
        t.host = a.substr(hostStart, colon - hostStart);
        if (at != std::string_view::npos) credentials = a.substr(0, at);
    } else {
        t.host = a.substr(at + 1);
        credentials = a.substr(0, at);
    }
    std::size_t separator = credentials.find(':');
    if (separator == std::string_view::npos) {
        t.user = credentials;
    } else {
        t.user = credentials.substr(0, separator);
        t.pass = credentials.substr(separator + 1);
    }
}

} // namespace

THttpUrlParts ParseURL(std::string_view url) {
    THttpUrlParts t;
    if (url.empty()) return t;
    std::string_view rest;
    if (std::size_t p = url.find("://"); p != std::string_view::npos) {
        t.proto = url.substr(0, p);
        rest = url.substr(p + 3);
    } else if (url.front() == '/') {
        t.proto = "http";
        t.path = url.substr(0, 2) == "//" ? url.substr(1) : url;
        return t;
    } else if (startsWithNoCase(url, "http:")) {
        t.proto = "http";
        std::string_view r = url.substr(5);
        t.path = r.size() > 1 && r[1] != '/' ? r : r.substr(r.empty() ? 0 : 1);
        return t;
    } else if (startsWithNoCase(url, "mailto:")) {
        t.proto = "mailto";
        rest = url.substr(7);
    } else {
        rest = url;
    }
    std::size_t slash = rest.find('/');
    if (slash != std::string_view::npos) t.path = rest.substr(slash);
    splitAuthority(rest.substr(0, slash), t);
    return t;
}
