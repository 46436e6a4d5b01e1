// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "loopback.h"

#include <arpa/inet.h>
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
