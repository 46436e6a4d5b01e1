// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// One Get against servers on 127.0.0.1 that never stop sending: how long until Get gives up,
// the peak resident memory above the process's start, and the longest pause of the event
// loop while Get pumps it (a 10 ms timer's largest gap).
//
//   bench_httpflut            every case, each in a fresh process
//   bench_httpflut CASE       one case: kopfflut, zeile, auth or rumpf
#include "httpcli.h"
#include "skriptpeer.h"
#include "stream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TFall {
    const char* name;
    const char* was;
    std::string anfang; // sent once after the request
    std::string stueck; // then sent again and again
};

std::string wiederholt(const std::string& zeile) {
    std::string s;
    while (s.size() < 64 * 1024) s += zeile;
    return s;
}

const TFall faelle[] = {
    {"kopfflut", "header lines without end", "HTTP/1.0 200 OK\r\n",
     wiederholt("X-Flut: 0123456789abcdef\r\n")},
    {"zeile", "one header line without end",
     "HTTP/1.0 200 OK\r\nX-Zeile: ", std::string(65536, 'a')},
    {"auth", "WWW-Authenticate lines without end", "HTTP/1.0 200 OK\r\n",
     wiederholt("WWW-Authenticate: Basic realm=\"x\"\r\n")},
    {"rumpf", "a body without end", "HTTP/1.0 200 OK\r\n\r\n", std::string(65536, 'z')},
};

// A value of /proc/self/status in KiB.
long statusKiB(const char* feld) {
    std::ifstream f("/proc/self/status");
    std::string zeile;
    while (std::getline(f, zeile))
        if (zeile.rfind(feld, 0) == 0) return std::stol(zeile.substr(std::strlen(feld)));
    return -1;
}

int messen(const TFall& fall) {
    int argc = 1;
    char name[] = "bench_httpflut";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    // The peer floods for at most 120 s, then closes.
    TSkriptPeer peer({{TSkriptPeer::KopfLesen(), TSkriptPeer::Senden(fall.anfang),
                       TSkriptPeer::Fluten(fall.stueck, 120000)}});
    THttpCli cli;
    TMemoryStream strom;
    cli.ReceiveStream = &strom;
    cli.URL = "http://127.0.0.1:" + std::to_string(peer.port()) + "/";

    // The peak from here on: the kernel's high-water mark starts again at the current size.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long start = statusKiB("VmRSS:");

    QElapsedTimer uhr;
    qint64 letzte = 0, groessteLuecke = 0;
    QTimer takt;
    takt.setTimerType(Qt::PreciseTimer);
    takt.setInterval(10);
    QObject::connect(&takt, &QTimer::timeout, [&] {
        const qint64 jetzt = uhr.elapsed();
        groessteLuecke = std::max(groessteLuecke, jetzt - letzte);
        letzte = jetzt;
    });

    std::string ergebnis = "returned";
    uhr.start();
    takt.start();
    try {
        cli.Get();
    } catch (const EHttpException& e) {
        ergebnis = "EHttpException " + std::to_string(e.ErrorCode) + " \"" + e.what() + "\"";
    } catch (const std::exception& e) {
        ergebnis = std::string("exception \"") + e.what() + "\"";
    }
    const qint64 dauer = uhr.elapsed();
    groessteLuecke = std::max(groessteLuecke, dauer - letzte);
    takt.stop();
    const long spitze = statusKiB("VmHWM:");

    std::printf("%-9s %-36s %7.2f s  peak +%6.1f MiB  stall %6lld ms  header lines %zu  "
                "auth %zu  %s\n",
                fall.name, fall.was, static_cast<double>(dauer) / 1000.0,
                static_cast<double>(spitze - start) / 1024.0,
                static_cast<long long>(groessteLuecke), cli.RcvdHeader().size(),
                cli.WWWAuthInfos().size(), ergebnis.c_str());
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        for (const TFall& f : faelle)
            if (std::strcmp(argv[1], f.name) == 0) return messen(f);
        std::fprintf(stderr, "unknown case %s\n", argv[1]);
        return 2;
    }
    for (const TFall& f : faelle) {
        pid_t kind = fork();
        if (kind == 0) _exit(messen(f));
        int status = 0;
        waitpid(kind, &status, 0);
    }
    return 0;
}
