// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary response bytes through the client's whole receive path: a peer on 127.0.0.1
// answers one Get with the input, repeated so that it spans many reads.
// Input: a repeat byte r, then the response; the response is sent 1 + 4 * r times.
#include "httpcli.h"
#include "skriptpeer.h"
#include "stream.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

QCoreApplication& anwendung() {
    static int argc = 1;
    static char name[] = "fuzz_httpcli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    anwendung();
    const std::string stueck(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string antwort;
    for (int k = 0; k < 1 + 4 * data[0]; ++k) antwort += stueck;

    // The peer gives up sending when the client stops reading (a line too long).
    TSkriptPeer peer(
        {{TSkriptPeer::KopfLesen(), TSkriptPeer::Senden(antwort, 100), TSkriptPeer::Schliessen()}});
    THttpCli cli;
    TMemoryStream strom;
    cli.ReceiveStream = &strom;
    cli.URL = "http://127.0.0.1:" + std::to_string(peer.port()) + "/";
    cli.MaxRedirects = 0; // a Location must never lead anywhere else
    // A client that stopped reading never sees the peer's close behind the bytes it left.
    cli.Timeout = 300;
    try {
        cli.Get();
    } catch (const EHttpException&) {
    }
    if (cli.State() != hsReady) __builtin_trap();
    if (strom.Size() > strom.Limit()) __builtin_trap();
    // What the client keeps of a header does not grow with the bytes received.
    if (cli.RcvdHeader().size() > headerMaxLines || cli.WWWAuthInfos().size() > headerMaxLines)
        __builtin_trap();
    return 0;
}
