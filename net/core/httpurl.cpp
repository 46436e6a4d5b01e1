// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpurl.h"

#include <strings.h>

namespace {

bool beginntOhneFall(std::string_view text, std::string_view anfang) {
    return text.size() >= anfang.size() &&
           strncasecmp(text.data(), anfang.data(), anfang.size()) == 0;
}

void autoritaetTeilen(std::string_view a, THttpUrlTeile& t) {
    std::size_t doppelpunkt = a.rfind(':');
    std::size_t klammeraffe = a.rfind('@');
    std::string_view zugang;
    if (doppelpunkt == std::string_view::npos && klammeraffe == std::string_view::npos) {
        t.host = a;
        return;
    }
    if (doppelpunkt != std::string_view::npos &&
        (klammeraffe == std::string_view::npos || doppelpunkt > klammeraffe)) {
        t.port = a.substr(doppelpunkt + 1);
        std::size_t hostAnfang = klammeraffe == std::string_view::npos ? 0 : klammeraffe + 1;
        t.host = a.substr(hostAnfang, doppelpunkt - hostAnfang);
        if (klammeraffe != std::string_view::npos) zugang = a.substr(0, klammeraffe);
    } else {
        t.host = a.substr(klammeraffe + 1);
        zugang = a.substr(0, klammeraffe);
    }
    std::size_t trenner = zugang.find(':');
    if (trenner == std::string_view::npos) {
        t.user = zugang;
    } else {
        t.user = zugang.substr(0, trenner);
        t.pass = zugang.substr(trenner + 1);
    }
}

} // namespace

THttpUrlTeile ParseURL(std::string_view url) {
    THttpUrlTeile t;
    if (url.empty()) return t;
    std::string_view rest;
    if (std::size_t p = url.find("://"); p != std::string_view::npos) {
        t.proto = url.substr(0, p);
        rest = url.substr(p + 3);
    } else if (url.front() == '/') {
        t.proto = "http";
        t.path = url.substr(0, 2) == "//" ? url.substr(1) : url;
        return t;
    } else if (beginntOhneFall(url, "http:")) {
        t.proto = "http";
        std::string_view r = url.substr(5);
        t.path = r.size() > 1 && r[1] != '/' ? r : r.substr(r.empty() ? 0 : 1);
        return t;
    } else if (beginntOhneFall(url, "mailto:")) {
        t.proto = "mailto";
        rest = url.substr(7);
    } else {
        rest = url;
    }
    std::size_t schraeg = rest.find('/');
    if (schraeg != std::string_view::npos) t.path = rest.substr(schraeg);
    autoritaetTeilen(rest.substr(0, schraeg), t);
    return t;
}
