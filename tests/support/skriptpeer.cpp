// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "skriptpeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Uhr = std::chrono::steady_clock;

int restMs(Uhr::time_point ende) {
    auto r = std::chrono::duration_cast<std::chrono::milliseconds>(ende - Uhr::now()).count();
    return r > 0 ? static_cast<int>(r) : 0;
}

// Reads what comes within the time left; false at the end of the stream or the time.
bool einmalLesen(int fd, std::string& aufnahme, Uhr::time_point ende) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, restMs(ende)) <= 0) return false;
    char puffer[4096];
    ssize_t n = ::recv(fd, puffer, sizeof puffer, 0);
    if (n <= 0) return false;
    aufnahme.append(puffer, static_cast<std::size_t>(n));
    return true;
}

// Sends all of daten within the time left; false when the connection has failed.
bool ganzSenden(int fd, const std::string& daten, Uhr::time_point ende) {
    std::size_t gesendet = 0;
    while (gesendet < daten.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, restMs(ende)) <= 0) return true;
        ssize_t n = ::send(fd, daten.data() + gesendet, daten.size() - gesendet, MSG_NOSIGNAL);
        if (n <= 0) return false;
        gesendet += static_cast<std::size_t>(n);
    }
    return true;
}

bool kopfZuEnde(const std::string& s) {
    return s.find("\r\n\r\n") != std::string::npos || s.find("\n\n") != std::string::npos;
}

} // namespace

TSkriptPeer::TSkriptPeer(std::vector<Skript> skripte, int annahmeFristMs)
    : skripte_(std::move(skripte)) {
    lauscher_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t l = sizeof a;
    if (lauscher_ < 0 || ::bind(lauscher_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 ||
        ::listen(lauscher_, 16) < 0 ||
        ::getsockname(lauscher_, reinterpret_cast<sockaddr*>(&a), &l) < 0)
        throw std::runtime_error("scripted peer cannot listen");
    port_ = ntohs(a.sin_port);
    aufnahmen_.resize(skripte_.size());
    faden_ = std::thread([this, annahmeFristMs] { laufen(annahmeFristMs); });
}

TSkriptPeer::~TSkriptPeer() {
    beenden();
    if (lauscher_ >= 0) ::close(lauscher_);
}

void TSkriptPeer::beenden() {
    if (faden_.joinable()) faden_.join();
}

int TSkriptPeer::angenommen() const {
    std::lock_guard<std::mutex> lock(sperre_);
    return angenommen_;
}

std::string TSkriptPeer::empfangen(int verbindung) const {
    std::lock_guard<std::mutex> lock(sperre_);
    return aufnahmen_.at(static_cast<std::size_t>(verbindung));
}

void TSkriptPeer::laufen(int annahmeFristMs) {
    for (std::size_t i = 0; i < skripte_.size(); ++i) {
        pollfd p{lauscher_, POLLIN, 0};
        if (::poll(&p, 1, annahmeFristMs) <= 0) return;
        int fd = ::accept4(lauscher_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        {
            std::lock_guard<std::mutex> lock(sperre_);
            ++angenommen_;
        }
        std::string aufnahme;
        skriptSpielen(fd, skripte_[i], aufnahme);
        std::lock_guard<std::mutex> lock(sperre_);
        aufnahmen_[i] = aufnahme;
    }
}

void TSkriptPeer::skriptSpielen(int fd, const Skript& skript, std::string& aufnahme) {
    bool offen = true;
    for (const Schritt& s : skript) {
        if (!offen) break;
        switch (s.art) {
        case Schritt::kopfLesen: {
            auto ende = Uhr::now() + std::chrono::seconds(5);
            while (!kopfZuEnde(aufnahme) && einmalLesen(fd, aufnahme, ende)) {
            }
            break;
        }
        case Schritt::lesen: {
            auto ende = Uhr::now() + std::chrono::seconds(5);
            while (aufnahme.size() < static_cast<std::size_t>(s.zahl) &&
                   einmalLesen(fd, aufnahme, ende)) {
            }
            break;
        }
        case Schritt::senden:
            ganzSenden(fd, s.daten, Uhr::now() + std::chrono::milliseconds(s.zahl));
            break;
        case Schritt::fluten: {
            auto ende = Uhr::now() + std::chrono::milliseconds(s.zahl);
            while (Uhr::now() < ende && ganzSenden(fd, s.daten, ende)) {
            }
            break;
        }
        case Schritt::pause:
            std::this_thread::sleep_for(std::chrono::milliseconds(s.zahl));
            break;
        case Schritt::schliessen:
            ::close(fd);
            offen = false;
            break;
        case Schritt::aufSchlussWarten: {
            auto ende = Uhr::now() + std::chrono::milliseconds(s.zahl);
            while (einmalLesen(fd, aufnahme, ende)) {
            }
            break;
        }
        }
    }
    if (offen) ::close(fd);
}
