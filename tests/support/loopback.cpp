// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "loopback.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

uint16_t freierPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t l = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &l);
    ::close(fd);
    return ntohs(a.sin_port);
}

int loopbackVerbinden(int port, int fristSekunden, uint32_t quelle) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    if ((quelle >> 24) != 127) quelle = loopbackQuelle;
    if (quelle != loopbackQuelle) {
        a.sin_addr.s_addr = htonl(quelle);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            return -1;
        }
    }
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const timeval frist{fristSekunden, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &frist, sizeof frist);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &frist, sizeof frist);
    const int eins = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &eins, sizeof eins);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string loopbackGet(int port, const std::string& pfad, int fristSekunden) {
    return loopbackSenden(port, "GET " + pfad + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n",
                          fristSekunden);
}

std::string loopbackSenden(int port, const std::string& anfrage, int fristSekunden,
                           uint32_t quelle) {
    const int fd = loopbackVerbinden(port, fristSekunden, quelle);
    std::string antwort;
    if (fd < 0) return antwort;
    ::send(fd, anfrage.data(), anfrage.size(), MSG_NOSIGNAL);
    char stueck[4096];
    for (ssize_t n; (n = ::recv(fd, stueck, sizeof stueck, 0)) > 0;)
        antwort.append(stueck, static_cast<std::size_t>(n));
    ::close(fd);
    return antwort;
}

int loopbackVerbindenVon(const std::string& quelle, const std::string& ziel, int port, bool warten,
                         int empfangsPuffer) {
    const bool sechs = ziel.find(':') != std::string::npos;
    const int fd = ::socket(sechs ? AF_INET6 : AF_INET,
                            SOCK_STREAM | SOCK_CLOEXEC | (warten ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0) return -1;
    if (empfangsPuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &empfangsPuffer, sizeof empfangsPuffer);
    const timeval frist{15, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &frist, sizeof frist);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &frist, sizeof frist);
    sockaddr_storage von{}, nach{};
    socklen_t laenge = 0;
    if (sechs) {
        auto* v = reinterpret_cast<sockaddr_in6*>(&von);
        auto* n = reinterpret_cast<sockaddr_in6*>(&nach);
        v->sin6_family = n->sin6_family = AF_INET6;
        ::inet_pton(AF_INET6, quelle.c_str(), &v->sin6_addr);
        ::inet_pton(AF_INET6, ziel.c_str(), &n->sin6_addr);
        n->sin6_port = htons(static_cast<uint16_t>(port));
        laenge = sizeof(sockaddr_in6);
    } else {
        auto* v = reinterpret_cast<sockaddr_in*>(&von);
        auto* n = reinterpret_cast<sockaddr_in*>(&nach);
        v->sin_family = n->sin_family = AF_INET;
        ::inet_pton(AF_INET, quelle.c_str(), &v->sin_addr);
        ::inet_pton(AF_INET, ziel.c_str(), &n->sin_addr);
        n->sin_port = htons(static_cast<uint16_t>(port));
        laenge = sizeof(sockaddr_in);
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&von), laenge) != 0 ||
        (::connect(fd, reinterpret_cast<sockaddr*>(&nach), laenge) != 0 && errno != EINPROGRESS)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string loopbackSendenVon(const std::string& quelle, const std::string& ziel, int port,
                              const std::string& anfrage) {
    const int fd = loopbackVerbindenVon(quelle, ziel, port);
    std::string antwort;
    if (fd < 0) return antwort;
    ::send(fd, anfrage.data(), anfrage.size(), MSG_NOSIGNAL);
    char stueck[4096];
    for (ssize_t n; (n = ::recv(fd, stueck, sizeof stueck, 0)) > 0;)
        antwort.append(stueck, static_cast<std::size_t>(n));
    ::close(fd);
    return antwort;
}
