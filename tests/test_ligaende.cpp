// One league transfer from the best-times dialog to a real HTTP server on loopback:
// Python's http.server, serving a file named rekord.php. (A closed port is tested with
// the dialog itself.)
#include "highscore.h"
#include "qtanwendung.h"
#include "testuhr.h"
#include "zufall.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <regex>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int freierPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t l = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &l);
    close(fd);
    return ntohs(a.sin_port);
}

bool nimmtAn(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// python3 -m http.server on 127.0.0.1 in a folder of its own; stopped by the destructor.
class TPythonServer {
public:
    explicit TPythonServer(const std::string& rekordPhp) {
        char muster[] = "/tmp/zundel_liga_XXXXXX";
        ordner = mkdtemp(muster);
        std::ofstream(ordner + "/rekord.php", std::ios::binary) << rekordPhp;
        protokoll = ordner + "/protokoll.txt";
        port = freierPort();
        pid = fork();
        if (pid == 0) {
            const std::string p = std::to_string(port);
            freopen(protokoll.c_str(), "w", stderr);
            execlp("python3", "python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                   ordner.c_str(), p.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!nimmtAn(port) && std::chrono::steady_clock::now() < ende)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~TPythonServer() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        std::system(("rm -rf '" + ordner + "'").c_str());
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(port); }
    std::string protokollText() const {
        std::ifstream f(protokoll);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    std::string ordner;
    std::string protokoll;
    int port = 0;
    pid_t pid = -1;
};

// Presses "übertragen" and returns the text of the message box it shows.
QString uebertragen(Thighscore& d) {
    QString gezeigt = "(keine Meldung)";
    QTimer wache;
    QObject::connect(&wache, &QTimer::timeout, &d, [&] {
        if (auto* box = d.findChild<QMessageBox*>(); box && box->isVisible()) {
            gezeigt = box->text();
            box->accept();
        }
    });
    wache.start(10);
    d.findChild<QPushButton*>("Button4")->click();
    return gezeigt;
}

class LigaEndeTest : public ::testing::Test {
protected:
    void SetUp() override {
        qtAnwendung();
        neu.name.setzen("Zundelmeister  ");
        neu.zeit = 87;
    }
    TTestUhr uhr;
    TZufall zufall;
    Thighscore::TEintraege eintraege{};
    Tbestzeit neu;
};

TEST_F(LigaEndeTest, ShowsTheServersFirstLineAndSendsTheCode) {
    TPythonServer server("Rekord eingetragen: Platz 3\r\nzweite Zeile\r\n");
    ASSERT_TRUE(nimmtAn(server.port)) << "python3 -m http.server did not start";
    Thighscore d;
    d.ligaHostSetzen(server.host());
    d.werteGeben(eintraege, neu, 3, zufall, uhr);
    d.werteAnzeigen();

    EXPECT_EQ(uebertragen(d), QString("Rekord eingetragen: Platz 3"));
    EXPECT_FALSE(d.findChild<QPushButton*>("Button4")->isEnabled());
    // The server's log names the request: the league path and a 64-digit code.
    EXPECT_TRUE(
        std::regex_search(server.protokollText(),
                          std::regex("\"GET /rekord\\.php\\?code=[0-9A-F]{64} HTTP/1\\.0\" 200")))
        << server.protokollText();
}

} // namespace
