// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <stdexcept>
#include <string>

// A failure of the socket layer, with its message.
class ESocketException final : public std::runtime_error {
public:
    explicit ESocketException(const std::string& message) : std::runtime_error(message) {}
};

// Socket error numbers as handlers and messages see them (the WinSock numbering).
constexpr int wsaEINTR = 10004;
constexpr int wsaEBADF = 10009;
constexpr int wsaEINVAL = 10022;
constexpr int wsaEWOULDBLOCK = 10035;
constexpr int wsaENOTSOCK = 10038;
constexpr int wsaECONNABORTED = 10053;
constexpr int wsaECONNRESET = 10054;
constexpr int wsaENOTCONN = 10057;
constexpr int wsaETIMEDOUT = 10060;
constexpr int wsaECONNREFUSED = 10061;
constexpr int wsaNOTINITIALISED = 10093;
constexpr int wsaHOST_NOT_FOUND = 11001;
constexpr int wsaTRY_AGAIN = 11002;
constexpr int wsaNO_RECOVERY = 11003;
constexpr int wsaNO_DATA = 11004;

// The English text of a socket error number.
std::string WSocketErrorDesc(int error);

// The socket error number for a POSIX errno value.
int winsockError(int errnoValue);

// The socket error number for a getaddrinfo result.
int winsockLookupError(int gaiValue);
