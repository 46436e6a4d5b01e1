// Arbitrary response bytes, cut into arbitrary pieces, through the client's receive path.
// Input: repeated (length byte, that many bytes); a length of 0 stands for 256.
#include "httpcli.h"
#include "strom.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <string_view>

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
    anwendung();
    THttpCli cli;
    TMemoryStream strom;
    cli.ReceiveStream = &strom;
    cli.antwortErwarten();
    std::size_t i = 0;
    while (i < size) {
        std::size_t laenge = data[i] == 0 ? 256 : data[i];
        ++i;
        if (laenge > size - i) laenge = size - i;
        cli.empfangen(std::string_view(reinterpret_cast<const char*>(data + i), laenge));
        i += laenge;
    }
    cli.verbindungGeschlossen();
    QCoreApplication::processEvents();
    if (cli.State() != hsReady) __builtin_trap();
    if (strom.Size() > strom.Grenze()) __builtin_trap();
    return 0;
}
