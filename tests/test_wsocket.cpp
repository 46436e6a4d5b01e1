// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffer.h"
#include "loopback.h"
#include "netztest.h"
#include "skriptpeer.h"
#include "wsocket.h"
#include "wsocketconvert.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using P = TSkriptPeer;

class WSocketTest : public ::testing::Test {
protected:
    void SetUp() override { qtAnwendungSicherstellen(); }

    // Opens s to the peer and pumps until the connection is up. A quick peer may already
    // have sent and closed within the same pump, so the test waits for the connect event
    // rather than for the state it leaves behind.
    void verbinden(TWSocket& s, uint16_t port) {
        bool verbunden = false;
        auto vorher = s.OnSessionConnected;
        s.OnSessionConnected = [&verbunden, vorher](TWSocket& so, uint16_t e) {
            verbunden = e == 0;
            if (vorher) vorher(so, e);
        };
        s.SetAddr("127.0.0.1");
        s.SetPort(std::to_string(port));
        s.Connect();
        const bool ok = pumpenBis([&] { return verbunden; });
        s.OnSessionConnected = vorher;
        ASSERT_TRUE(ok);
    }
};

std::string muster(int n) {
    std::string s(static_cast<std::size_t>(n), '\0');
    for (int i = 0; i < n; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(i % 251);
    return s;
}

std::string meldung(const std::function<void()>& f) {
    try {
        f();
    } catch (const ESocketException& e) {
        return e.what();
    }
    return "(nothing raised)";
}

TEST(WSocketError, TextTable) {
    EXPECT_EQ(WSocketErrorDesc(0), "No Error");
    EXPECT_EQ(WSocketErrorDesc(10035), "Operation would block");
    EXPECT_EQ(WSocketErrorDesc(10047), "Address family not supported by protocol family");
    EXPECT_EQ(WSocketErrorDesc(10059), "Too many references: can't splice");
    EXPECT_EQ(WSocketErrorDesc(10061), "Connection refused");
    EXPECT_EQ(WSocketErrorDesc(10092), "WinSock DLL cannot support this application");
    EXPECT_EQ(WSocketErrorDesc(11001), "Host not found");
    EXPECT_EQ(WSocketErrorDesc(11004), "No Data");
    EXPECT_EQ(WSocketErrorDesc(12345), "Not a WinSock error");
    EXPECT_EQ(WSocketErrorDesc(10072), "Not a WinSock error");
    EXPECT_EQ(winsockError(ECONNREFUSED), 10061);
    EXPECT_EQ(winsockError(ETIMEDOUT), 10060);
    EXPECT_EQ(winsockError(EAGAIN), 10035);
}

TEST(WSocketConvert, DottedAddressTestAndNumericRule) {
    EXPECT_TRUE(WSocketIsDottedIP("127.0.0.1"));
    EXPECT_TRUE(WSocketIsDottedIP("  10.0.0.255  "));
    EXPECT_FALSE(WSocketIsDottedIP("1.2.3"));
    EXPECT_FALSE(WSocketIsDottedIP("1.2.3.4.5"));
    EXPECT_FALSE(WSocketIsDottedIP("1.2.3.256"));
    EXPECT_FALSE(WSocketIsDottedIP("256.1.1.1"));
    EXPECT_FALSE(WSocketIsDottedIP(".1.2.3"));
    EXPECT_FALSE(WSocketIsDottedIP("1..2.3"));
    EXPECT_FALSE(WSocketIsDottedIP("1.2.3."));
    EXPECT_FALSE(WSocketIsDottedIP("1.2.3.4x"));
    EXPECT_FALSE(WSocketIsDottedIP("1.2.3.4 x"));
    EXPECT_FALSE(WSocketIsDottedIP("localhost"));
    EXPECT_EQ(wsocketNumber("  8080abc"), 8080u);
    EXPECT_EQ(wsocketNumber("x80"), 0u);
    EXPECT_EQ(wsocketNumber(""), 0u);
    EXPECT_EQ(WSocketResolvePort("70000", "tcp"), htons(70000 & 0xFFFF));
    EXPECT_EQ(WSocketResolveProto(" tcp "), 6);
    EXPECT_EQ(WSocketResolveProto("17"), 17);
    EXPECT_EQ(meldung([] { WSocketResolvePort("", "tcp"); }), "WSocketResolvePort: Invalid Port.");
    EXPECT_EQ(meldung([] { WSocketResolveProto(""); }), "WSocketResolveProto: Invalid Protocol.");
    EXPECT_EQ(meldung([] { WSocketResolveHost(""); }), "WSocketResolveHost: '' Invalid Hostname.");
    EXPECT_TRUE(reservedName("niemand.invalid"));
    EXPECT_TRUE(reservedName("A.INVALID."));
    EXPECT_FALSE(reservedName("notinvalid"));
}

TEST(TBufferTest, WritePeekRemove) {
    TBuffer b(0);
    EXPECT_EQ(b.BufSize(), 1514);
    std::string daten = muster(2000);
    EXPECT_EQ(b.Write(daten.data(), 2000), 1514);
    EXPECT_EQ(b.Write(daten.data(), 10), 0);
    int len = 0;
    EXPECT_EQ(b.Peek(len), b.Peek(len));
    EXPECT_EQ(len, 1514);
    EXPECT_EQ(b.Remove(14), 14);
    EXPECT_EQ(b.Peek(len)[0], daten[14]);
    EXPECT_EQ(b.Remove(5000), 1500);
    EXPECT_EQ(b.Pending(), 0);
    // Emptied: both counts back at the start, so the whole block is free again.
    EXPECT_EQ(b.Write(daten.data(), 1514), 1514);
    b.Remove(1000);
    b.SetBufSize(100);
    EXPECT_EQ(b.Peek(len)[0], daten[1000]);
    EXPECT_EQ(len, 100);
}

TEST_F(WSocketTest, ConnectChecksInTheirOrderAndSettersWhileOpen) {
    TWSocket s;
    EXPECT_EQ(meldung([&] { s.Connect(); }), "Connect: No Port Specified");
    s.SetPort("  ");
    EXPECT_EQ(meldung([&] { s.Connect(); }), "Connect: No Port Specified");
    s.SetPort(" 80 ");
    EXPECT_EQ(s.Port(), "80");
    EXPECT_EQ(meldung([&] { s.Connect(); }), "Connect: No IP Address Specified");
    s.SetAddr("1.2.3");
    s.SetProto("");
    EXPECT_EQ(meldung([&] { s.Connect(); }), "Connect: No Protocol Specified");
    s.SetProto("tcp");
    s.SetAddr("");
    EXPECT_EQ(meldung([&] { s.Connect(); }), "Connect: No IP Address Specified");
    s.SetAddr("300.1.1.1");
    EXPECT_EQ(meldung([&] { s.Connect(); }),
              "connect: WSocketResolveHost: Cannot convert host address '300.1.1.1', Error #11001");
    EXPECT_EQ(s.State(), wsClosed);

    P peer({{P::AufSchlussWarten(3000)}});
    verbinden(s, peer.port());
    EXPECT_EQ(meldung([&] { s.SetAddr("127.0.0.2"); }), "Cannot change Addr if not closed");
    EXPECT_EQ(meldung([&] { s.SetPort("1"); }), "Cannot change Port if not closed");
    EXPECT_EQ(meldung([&] { s.SetProto("udp"); }), "Cannot change Proto if not closed");
    EXPECT_EQ(meldung([&] { s.Connect(); }), "Connect: Socket already in use");
    s.Close();
    // After a close the address and port count as unset until given again.
    EXPECT_EQ(s.Addr(), "127.0.0.1");
    EXPECT_EQ(meldung([&] { s.Connect(); }), "Connect: No Port Specified");
}

TEST_F(WSocketTest, SendOnClosedSocket) {
    TWSocket s;
    EXPECT_EQ(meldung([&] { s.Send("x", 1); }),
              "Error 10057 in function Send\r\nSocket is not connected");
    EXPECT_EQ(s.LastError(), 10057);
    bool fehler = false;
    s.OnError = [&](TWSocket&) { fehler = true; };
    EXPECT_EQ(s.Send("x", 1), -1);
    EXPECT_TRUE(fehler);
}

TEST_F(WSocketTest, DnsLookupAnswers) {
    TWSocket s;
    std::vector<int> antworten;
    s.OnDnsLookupDone = [&](TWSocket&, uint16_t e) { antworten.push_back(e); };

    s.DnsLookup("127.0.0.1");
    ASSERT_EQ(antworten, std::vector<int>{0}); // before it returned
    EXPECT_EQ(s.DnsResult(), "127.0.0.1");
    EXPECT_TRUE(s.DnsResultList().empty());

    antworten.clear();
    s.DnsLookup("localhost");
    EXPECT_TRUE(antworten.empty()); // a name is answered from the event loop
    ASSERT_TRUE(pumpenBis([&] { return !antworten.empty(); }));
    EXPECT_EQ(antworten, std::vector<int>{0});
    EXPECT_EQ(s.DnsResult(), "127.0.0.1");
    ASSERT_FALSE(s.DnsResultList().empty());
    EXPECT_EQ(s.DnsResultList().front(), "127.0.0.1");

    antworten.clear();
    s.DnsLookup("niemand.invalid");
    EXPECT_TRUE(antworten.empty());
    ASSERT_TRUE(pumpenBis([&] { return !antworten.empty(); }));
    EXPECT_EQ(antworten, std::vector<int>{11001});

    EXPECT_EQ(meldung([&] { s.DnsLookup(""); }), "DNS lookup: invalid host name.");

    // A lookup superseded by another is answered once, by the newer one.
    antworten.clear();
    s.DnsLookup("localhost");
    s.DnsLookup("127.0.0.1");
    pumpenBis([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(antworten, std::vector<int>{0});
}

TEST_F(WSocketTest, SendQueuesBlocksOf1514AndDeliversInOrder) {
    std::string daten = muster(5000);
    P peer({{P::Lesen(5000), P::Schliessen()}});
    TWSocket s;
    std::vector<int> stuecke;
    int gesendetMeldungen = 0;
    bool geschlossen = false;
    s.OnSendData = [&](TWSocket&, int n) { stuecke.push_back(n); };
    s.OnDataSent = [&](TWSocket&, uint16_t) { ++gesendetMeldungen; };
    s.OnSessionClosed = [&](TWSocket&, uint16_t) { geschlossen = true; };
    verbinden(s, peer.port());
    pumpenBis([&] { return gesendetMeldungen > 0; }); // the one after connecting
    gesendetMeldungen = 0;

    EXPECT_EQ(s.Send(daten.data(), 5000), 5000);
    EXPECT_EQ(stuecke, (std::vector<int>{1514, 1514, 1514, 458}));
    EXPECT_EQ(gesendetMeldungen, 0); // reported from the event loop, later
    ASSERT_TRUE(pumpenBis([&] { return geschlossen; }));
    EXPECT_EQ(gesendetMeldungen, 1);
    peer.beenden();
    EXPECT_EQ(peer.empfangen(0), daten);
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(WSocketTest, WaitingDataArrivesBeforeTheClose) {
    std::string daten = muster(20000);
    P peer({{P::Senden(daten), P::Schliessen()}});
    TWSocket s;
    std::string erhalten;
    std::vector<std::string> folge;
    s.OnDataAvailable = [&](TWSocket& so, uint16_t) {
        char stueck[100];
        int n = so.Receive(stueck, sizeof stueck);
        if (n > 0) erhalten.append(stueck, static_cast<std::size_t>(n));
        folge.push_back("daten");
    };
    int geschlossen = 0;
    s.OnSessionClosed = [&](TWSocket&, uint16_t e) {
        ++geschlossen;
        EXPECT_EQ(e, 0);
        EXPECT_EQ(erhalten.size(), 20000u);
        folge.push_back("zu");
    };
    verbinden(s, peer.port());
    // Let the peer send and close before the first read.
    peer.beenden();
    ASSERT_TRUE(pumpenBis([&] { return geschlossen > 0; }));
    pumpenBis([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(geschlossen, 1);
    EXPECT_EQ(erhalten, daten);
    EXPECT_EQ(folge.back(), "zu");
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(WSocketTest, ReaderThatStopsReadingStillSeesTheClose) {
    P peer({{P::Senden(muster(3000)), P::Pause(100), P::Schliessen()}});
    TWSocket s;
    int aufrufe = 0;
    s.OnDataAvailable = [&](TWSocket&, uint16_t) { ++aufrufe; };
    bool geschlossen = false;
    s.OnSessionClosed = [&](TWSocket&, uint16_t) { geschlossen = true; };
    verbinden(s, peer.port());
    ASSERT_TRUE(pumpenBis([&] { return geschlossen; }));
    // Asked once per arrival and once more at the close, not in an endless loop.
    EXPECT_GE(aufrufe, 1);
    EXPECT_LE(aufrufe, 4);
}

TEST_F(WSocketTest, CloseTwiceFiresTheClosedEventOnce) {
    P peer({{P::AufSchlussWarten(3000)}});
    TWSocket s;
    std::vector<std::pair<int, int>> zustaende;
    s.OnChangeState = [&](TWSocket&, TSocketState a, TSocketState n) {
        zustaende.emplace_back(a, n);
    };
    int geschlossen = 0;
    s.OnSessionClosed = [&](TWSocket& so, uint16_t) {
        ++geschlossen;
        so.Close(); // re-entering from the handler changes nothing
    };
    verbinden(s, peer.port());
    s.Close();
    s.Close();
    EXPECT_EQ(geschlossen, 1);
    pumpenBis([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(geschlossen, 1);
    EXPECT_EQ(zustaende, (std::vector<std::pair<int, int>>{{wsClosed, wsOpened},
                                                           {wsOpened, wsConnecting},
                                                           {wsConnecting, wsConnected},
                                                           {wsConnected, wsClosed}}));
}

TEST_F(WSocketTest, RefusedConnection) {
    TWSocket s;
    std::vector<std::string> folge;
    s.OnSessionConnected = [&](TWSocket&, uint16_t e) {
        folge.push_back("verbunden " + std::to_string(e));
    };
    s.OnSessionClosed = [&](TWSocket&, uint16_t e) { folge.push_back("zu " + std::to_string(e)); };
    s.SetAddr("127.0.0.1");
    s.SetPort(std::to_string(freierPort()));
    s.Connect();
    ASSERT_TRUE(pumpenBis([&] { return folge.size() >= 2; }));
    pumpenBis([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(folge, (std::vector<std::string>{"verbunden 10061", "zu 0"}));
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(WSocketTest, AbortDropsQueueAndCancelsLookup) {
    TWSocket s;
    std::vector<int> antworten;
    s.OnDnsLookupDone = [&](TWSocket&, uint16_t e) { antworten.push_back(e); };
    s.DnsLookup("localhost");
    s.Abort();
    EXPECT_EQ(antworten, std::vector<int>{10004});
    pumpenBis([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(antworten, std::vector<int>{10004}); // the late answer is ignored
}

} // namespace
