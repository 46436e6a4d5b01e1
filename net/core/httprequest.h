// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What one request's header says. An empty text leaves its line out.
struct THttpRequestHeader {
    std::string method; // "GET", "POST" or "HEAD"
    std::string target; // the request-target
    std::string host;   // the Host line: the host alone, never with a port
    std::string from;
    std::string accept;
    std::string referer;
    std::string contentType; // sent only with a POST
    std::string userAgent;
    bool noCache = false;
    double modifiedSince = 0; // days since 1899-12-30; 0 = none
    std::string user;         // Authorization when not empty
    std::string pass;
    std::string proxyUser; // Proxy-Authorization when not empty
    std::string proxyPass;
    std::string cookie;
    std::string rangeBegin; // a Range line when either is not empty
    std::string rangeEnd;
};

// The request line and the header lines, in the order they are sent, each without its
// line end; the empty line that ends the header is not among them. Always version 1.0,
// never a Connection or Keep-Alive line: the server's close ends the response.
std::vector<std::string> requestLines(const THttpRequestHeader& request);

// Helpers for the request header lines.

// Base64: A-Z, a-z, 0-9, "+" and "/" for the six-bit groups, "=" filling up the last four
// characters.
std::string base64Encode(std::string_view data);

// A date-time (days since 1899-12-30) as "Www, dd Mmm yyyy hh:mm:ss", used unchanged.
std::string httpDate(double days);

// A whole decimal (or $/0x hexadecimal) 32-bit number, blanks allowed in front; anything else
// raises std::invalid_argument.
int32_t httpNumber(std::string_view text);
