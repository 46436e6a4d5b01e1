// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A TCP peer on 127.0.0.1 that plays one script per accepted connection, in order, and
// records the bytes each connection sent it. It listens on an ephemeral port; every wait is
// bounded, so a faulty client makes a test fail, never hang.
class TSkriptPeer {
public:
    struct Schritt {
        enum Art { kopfLesen, lesen, senden, fluten, pause, schliessen, aufSchlussWarten } art;
        std::string daten;
        int zahl = 0; // bytes for lesen, milliseconds for the others
    };
    using Skript = std::vector<Schritt>;

    // Reads until the request header has ended (an empty line).
    static Schritt KopfLesen() { return {Schritt::kopfLesen, {}, 0}; }
    // Reads until n bytes in all have come on this connection.
    static Schritt Lesen(int n) { return {Schritt::lesen, {}, n}; }
    // Sends daten, giving up after ms when the client stops taking them.
    static Schritt Senden(std::string daten, int ms = 5000) {
        return {Schritt::senden, std::move(daten), ms};
    }
    // Sends the piece again and again, as fast as the client takes it, until the client
    // closes or ms have passed.
    static Schritt Fluten(std::string stueck, int ms) {
        return {Schritt::fluten, std::move(stueck), ms};
    }
    static Schritt Pause(int ms) { return {Schritt::pause, {}, ms}; }
    static Schritt Schliessen() { return {Schritt::schliessen, {}, 0}; }
    // Keeps the connection open until the client closes it or ms have passed.
    static Schritt AufSchlussWarten(int ms) { return {Schritt::aufSchlussWarten, {}, ms}; }

    explicit TSkriptPeer(std::vector<Skript> skripte, int annahmeFristMs = 10000);
    ~TSkriptPeer();
    TSkriptPeer(const TSkriptPeer&) = delete;
    TSkriptPeer& operator=(const TSkriptPeer&) = delete;

    uint16_t port() const { return port_; }
    // Waits (bounded) for the scripts to end.
    void beenden();
    int angenommen() const;
    std::string empfangen(int verbindung) const;

private:
    void laufen(int annahmeFristMs);
    void skriptSpielen(int fd, const Skript& skript, std::string& aufnahme);

    int lauscher_ = -1;
    uint16_t port_ = 0;
    std::vector<Skript> skripte_;
    mutable std::mutex sperre_;
    std::vector<std::string> aufnahmen_;
    int angenommen_ = 0;
    std::thread faden_;
};
