// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsocket.h"

#include "wsocketwandlung.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// Event types stand in for the window messages of the notifications.
const QEvent::Type readinessTyp = static_cast<QEvent::Type>(QEvent::User + 1025);
const QEvent::Type lookupTyp = static_cast<QEvent::Type>(QEvent::User + 1026);

struct TReadinessEvent final : QEvent {
    TReadinessEvent(uint32_t v, uint16_t e, uint16_t f)
        : QEvent(readinessTyp), verbindung(v), ereignis(e), fehler(f) {}
    uint32_t verbindung;
    uint16_t ereignis;
    uint16_t fehler;
};

struct TLookupEvent final : QEvent {
    TLookupEvent(uint32_t l, uint16_t f, std::vector<uint32_t> a)
        : QEvent(lookupTyp), lookup(l), fehler(f), adressen(std::move(a)) {}
    uint32_t lookup;
    uint16_t fehler;
    std::vector<uint32_t> adressen;
};

std::string dotted(uint32_t adresse) {
    in_addr a{};
    a.s_addr = adresse;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

uint16_t letzterFehler() {
    return static_cast<uint16_t>(winsockFehler(errno));
}

// How often a socket whose reader has stopped reading looks for the peer's close.
constexpr int ruhendIntervallMs = 20;

// How much one read notification may take before the event loop gets its turn back; the
// next notification goes on where this one stopped.
constexpr int64_t empfangsHappen = 64 * 1024;
constexpr auto empfangsFrist = std::chrono::milliseconds(5);

} // namespace

// The worker of a name lookup posts its answer here; the socket unhooks itself on
// destruction, so a late answer goes nowhere.
struct TLookupVermittlung {
    std::mutex sperre;
    QObject* ziel = nullptr;
};

// The socket's hidden receiver of notifications.
class TSocketFenster final : public QObject {
public:
    explicit TSocketFenster(TWSocket& s)
        : socket(s), lesen(QSocketNotifier::Read, this), schreiben(QSocketNotifier::Write, this) {
        lesen.setEnabled(false);
        schreiben.setEnabled(false);
        QObject::connect(&lesen, &QSocketNotifier::activated, this, [this] { socket.lesbar(); });
        QObject::connect(&schreiben, &QSocketNotifier::activated, this,
                         [this] { socket.schreibbar(); });
        ruhend.setInterval(ruhendIntervallMs);
        QObject::connect(&ruhend, &QTimer::timeout, this, [this] { socket.ruhendPruefen(); });
    }

    bool event(QEvent* e) override {
        if (e->type() == readinessTyp) {
            auto* r = static_cast<TReadinessEvent*>(e);
            socket.readiness(r->verbindung, r->ereignis, r->fehler);
            return true;
        }
        if (e->type() == lookupTyp) {
            auto* l = static_cast<TLookupEvent*>(e);
            socket.lookupDone(l->lookup, l->fehler, l->adressen);
            return true;
        }
        return QObject::event(e);
    }

    TWSocket& socket;
    QSocketNotifier lesen;
    QSocketNotifier schreiben;
    QTimer ruhend;
};

TWSocket::TWSocket()
    : fenster_(std::make_unique<TSocketFenster>(*this)),
      vermittlung_(std::make_shared<TLookupVermittlung>()) {
    vermittlung_->ziel = fenster_.get();
    assignDefaultValue();
}

TWSocket::~TWSocket() {
    destroying_ = true;
    try {
        CancelDnsLookup();
        if (state_ != wsClosed) Close();
    } catch (...) {
    }
    if (handle_ >= 0) {
        ::close(handle_);
        handle_ = -1;
    }
    std::lock_guard<std::mutex> lock(vermittlung_->sperre);
    vermittlung_->ziel = nullptr;
}

template <class F> void TWSocket::geschuetzt(F&& f) {
    try {
        f();
    } catch (...) {
        bool canClose = true;
        if (OnBgException) {
            try {
                OnBgException(*this, std::current_exception(), canClose);
            } catch (...) {
            }
        }
        if (canClose) {
            try {
                Abort();
            } catch (...) {
            }
        }
    }
}

void TWSocket::changeState(TSocketState neu) {
    TSocketState alt = state_;
    state_ = neu;
    if (alt != neu && OnChangeState) OnChangeState(*this, alt, neu);
}

void TWSocket::assignDefaultValue() {
    sinAddr_ = 0;
    sinPort_ = 0;
    addrAssigned_ = portAssigned_ = false;
    addrResolved_ = portResolved_ = localPortResolved_ = protoResolved_ = false;
    proto_ = "tcp";
    protoAssigned_ = true;
    protoNummer_ = IPPROTO_TCP;
    socketTyp_ = SOCK_STREAM;
    LocalPort.assign(1, '0'); // not = "0": g++ 12 -O2 warns falsely (-Wrestrict) there
    LocalAddr = "0.0.0.0";
    LingerOnOff = wsLingerOn;
    LingerTimeout = 0;
    handle_ = -1;
    state_ = wsClosed;
    allSent_ = true;
    readCount_ = 0;
    closeInvoked_ = false;
    FlushTimeout = 60;
    empfangGeparkt_ = false;
    fenster_->ruhend.stop();
}

void TWSocket::raiseException(const std::string& msg) {
    if (OnError) {
        OnError(*this);
        return;
    }
    throw ESocketException(msg);
}

void TWSocket::socketError(const char* funktion, int fehler) {
    std::string msg = "Error " + std::to_string(fehler) + " in function " + funktion + "\r\n" +
                      WSocketErrorDesc(fehler);
    if ((fehler == wsaECONNRESET || fehler == wsaENOTCONN) && handle_ >= 0) {
        fenster_->lesen.setEnabled(false);
        fenster_->schreiben.setEnabled(false);
        ::close(handle_);
        handle_ = -1;
        state_ = wsClosed;
    }
    lastError_ = fehler;
    raiseException(msg);
}

void TWSocket::SetAddr(const std::string& wert) {
    if (state_ != wsClosed) {
        raiseException("Cannot change Addr if not closed");
        return;
    }
    std::string t = wsocketTrim(wert);
    if (addrAssigned_ && t == addr_) return;
    addr_ = t;
    addrAssigned_ = !t.empty();
    addrResolved_ = false;
}

void TWSocket::SetPort(const std::string& wert) {
    if (state_ != wsClosed) {
        raiseException("Cannot change Port if not closed");
        return;
    }
    std::string t = wsocketTrim(wert);
    if (portAssigned_ && t == port_) return;
    port_ = t;
    portAssigned_ = !t.empty();
    portResolved_ = false;
}

void TWSocket::SetProto(const std::string& wert) {
    if (state_ != wsClosed) {
        raiseException("Cannot change Proto if not closed");
        return;
    }
    std::string t = wsocketTrim(wert);
    if (protoAssigned_ && t == proto_) return;
    proto_ = t;
    protoAssigned_ = !t.empty();
    protoResolved_ = false;
    portResolved_ = false;
}

int TWSocket::RcvdCount() const {
    if (handle_ < 0) return 0;
    int wartend = 0;
    if (::ioctl(handle_, FIONREAD, &wartend) < 0) return 0;
    return wartend;
}

std::string TWSocket::PeerAddr() const {
    sockaddr_in a{};
    socklen_t l = sizeof a;
    if (handle_ < 0 || ::getpeername(handle_, reinterpret_cast<sockaddr*>(&a), &l) < 0)
        return "error";
    return dotted(a.sin_addr.s_addr);
}

std::string TWSocket::PeerPort() const {
    sockaddr_in a{};
    socklen_t l = sizeof a;
    if (handle_ < 0 || ::getpeername(handle_, reinterpret_cast<sockaddr*>(&a), &l) < 0)
        return "error";
    return std::to_string(ntohs(a.sin_port));
}

void TWSocket::DnsLookup(const std::string& hostName) {
    if (hostName.empty()) {
        raiseException("DNS lookup: invalid host name.");
        if (OnDnsLookupDone) OnDnsLookupDone(*this, wsaEINVAL);
        return;
    }
    lookupHandle_ = 0; // a pending lookup's answer is ignored from now on
    dnsResult_.clear();
    dnsResultList_.clear();

    in_addr_t numerisch = ::inet_addr(hostName.c_str());
    if (numerisch != INADDR_NONE) {
        dnsResult_ = dotted(numerisch);
        if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
        return;
    }

    if (++naechsterLookup_ == 0) ++naechsterLookup_;
    uint32_t lookup = naechsterLookup_;
    if (reservierterName(hostName)) {
        lookupHandle_ = lookup;
        QCoreApplication::postEvent(fenster_.get(),
                                    new TLookupEvent(lookup, wsaHOST_NOT_FOUND, {}));
        return;
    }
    try {
        std::thread([vermittlung = vermittlung_, lookup, name = hostName] {
            addrinfo hinweis{};
            hinweis.ai_family = AF_INET;
            hinweis.ai_socktype = SOCK_STREAM;
            addrinfo* liste = nullptr;
            int g = ::getaddrinfo(name.c_str(), nullptr, &hinweis, &liste);
            uint16_t fehler = static_cast<uint16_t>(winsockLookupFehler(g));
            std::vector<uint32_t> adressen;
            for (addrinfo* a = g == 0 ? liste : nullptr; a && adressen.size() < 256; a = a->ai_next)
                adressen.push_back(reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
            if (liste) ::freeaddrinfo(liste);
            if (fehler == 0 && adressen.empty()) fehler = wsaNO_DATA;
            std::lock_guard<std::mutex> lock(vermittlung->sperre);
            if (vermittlung->ziel)
                QCoreApplication::postEvent(vermittlung->ziel,
                                            new TLookupEvent(lookup, fehler, std::move(adressen)));
        }).detach();
    } catch (const std::system_error& e) {
        throw ESocketException(hostName + ": can't start DNS lookup, error #" +
                               std::to_string(winsockFehler(e.code().value())));
    }
    lookupHandle_ = lookup;
}

void TWSocket::CancelDnsLookup() {
    if (lookupHandle_ == 0) return;
    lookupHandle_ = 0;
    if (!destroying_ && OnDnsLookupDone) OnDnsLookupDone(*this, wsaEINTR);
}

void TWSocket::lookupDone(uint32_t lookup, uint16_t fehler, const std::vector<uint32_t>& adressen) {
    if (lookup == 0 || lookup != lookupHandle_) return;
    geschuetzt([&] {
        lookupHandle_ = 0;
        if (fehler == 0) {
            for (uint32_t a : adressen) dnsResultList_.push_back(dotted(a));
            if (!dnsResultList_.empty()) dnsResult_ = dnsResultList_.front();
        }
        if (OnDnsLookupDone) OnDnsLookupDone(*this, fehler);
    });
}

void TWSocket::applyLinger() {
    if (LingerOnOff == wsLingerNoSet) return;
    if (handle_ < 0) {
        raiseException("Cannot set linger option at this time");
        return;
    }
    linger l{};
    l.l_onoff = LingerOnOff == wsLingerOn ? 1 : 0;
    l.l_linger = LingerTimeout;
    if (::setsockopt(handle_, SOL_SOCKET, SO_LINGER, &l, sizeof l) < 0)
        socketError("setsockopt(SO_LINGER)", letzterFehler());
}

void TWSocket::Connect() {
    if (handle_ >= 0 && state_ != wsClosed) return raiseException("Connect: Socket already in use");
    if (!portAssigned_) return raiseException("Connect: No Port Specified");
    if (!addrAssigned_) return raiseException("Connect: No IP Address Specified");
    if (!protoAssigned_) return raiseException("Connect: No Protocol Specified");
    try {
        if (!protoResolved_) {
            protoNummer_ = WSocketResolveProto(proto_);
            socketTyp_ = protoNummer_ == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
            protoResolved_ = true;
        }
        if (!portResolved_) {
            sinPort_ = WSocketResolvePort(port_, proto_);
            portResolved_ = true;
        }
        if (!localPortResolved_) {
            localPortNummer_ = ntohs(WSocketResolvePort(LocalPort, proto_));
            localPortResolved_ = true;
        }
        if (!addrResolved_) {
            sinAddr_ = WSocketResolveHost(addr_);
            addrResolved_ = true;
        }
    } catch (const ESocketException& e) {
        return raiseException(std::string("connect: ") + e.what());
    }

    deleteBufferedData();
    int fd = ::socket(AF_INET, socketTyp_ | SOCK_NONBLOCK | SOCK_CLOEXEC, protoNummer_);
    if (fd < 0) return socketError("Connect (socket)", letzterFehler());
    handle_ = fd;
    ++verbindung_;
    changeState(wsOpened);

    if (localPortNummer_ != 0 || LocalAddr != "0.0.0.0") {
        sockaddr_in lokal{};
        lokal.sin_family = AF_INET;
        lokal.sin_port = htons(localPortNummer_);
        lokal.sin_addr.s_addr = ::inet_addr(LocalAddr.c_str());
        if (::bind(handle_, reinterpret_cast<sockaddr*>(&lokal), sizeof lokal) < 0)
            return raiseException("winsock.bind failed, error #" + std::to_string(letzterFehler()));
        socklen_t l = sizeof lokal;
        if (::getsockname(handle_, reinterpret_cast<sockaddr*>(&lokal), &l) < 0)
            return raiseException("winsock.getsockname failed, error #" +
                                  std::to_string(letzterFehler()));
        localPortNummer_ = ntohs(lokal.sin_port);
        LocalPort = std::to_string(localPortNummer_);
    }
    if (socketTyp_ == SOCK_STREAM) {
        applyLinger();
        int an = 1;
        if (::setsockopt(handle_, SOL_SOCKET, SO_KEEPALIVE, &an, sizeof an) < 0)
            return socketError("setsockopt(SO_KEEPALIVE)", letzterFehler());
        if (::setsockopt(handle_, SOL_SOCKET, SO_REUSEADDR, &an, sizeof an) < 0)
            return socketError("setsockopt(SO_REUSEADDR)", letzterFehler());
    }

    selectEvent_ = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
    fenster_->lesen.setSocket(handle_);
    fenster_->schreiben.setSocket(handle_);

    sockaddr_in ziel{};
    ziel.sin_family = AF_INET;
    ziel.sin_port = sinPort_;
    ziel.sin_addr.s_addr = sinAddr_;
    int r = ::connect(handle_, reinterpret_cast<sockaddr*>(&ziel), sizeof ziel);
    int e = r == 0 ? 0 : errno;
    if (socketTyp_ == SOCK_DGRAM) {
        if (r < 0) {
            lastError_ = winsockFehler(e);
            return socketError("Connect", lastError_);
        }
        changeState(wsConnected);
        notifierAnpassen();
        if (OnSessionConnected) OnSessionConnected(*this, 0);
        return;
    }
    if (r == 0 || e == EINPROGRESS || e == EAGAIN) {
        changeState(wsConnecting);
        notifierAnpassen();
        return;
    }
    if (e == ECONNREFUSED || e == ETIMEDOUT || e == ENETUNREACH || e == EHOSTUNREACH) {
        // An outcome, not a fault of the call: it arrives as the connect notification.
        changeState(wsConnecting);
        postReadiness(FD_CONNECT, static_cast<uint16_t>(winsockFehler(e)));
        return;
    }
    lastError_ = winsockFehler(e);
    socketError("Connect", lastError_);
}

void TWSocket::notifierAnpassen() {
    bool offen = handle_ >= 0;
    bool warten = false;
    for (const auto& b : sendQueue_) warten = warten || b->Pending() > 0;
    fenster_->schreiben.setEnabled(offen && (state_ == wsConnecting || warten));
    fenster_->lesen.setEnabled(offen && (state_ == wsConnected) && !empfangGeparkt_);
    if (!offen || !empfangGeparkt_) fenster_->ruhend.stop();
}

void TWSocket::postReadiness(uint16_t ereignis, uint16_t fehler) {
    QCoreApplication::postEvent(fenster_.get(), new TReadinessEvent(verbindung_, ereignis, fehler));
}

void TWSocket::schreibbar() {
    if (handle_ < 0) return;
    if (state_ == wsConnecting) {
        int fehler = 0;
        socklen_t l = sizeof fehler;
        if (::getsockopt(handle_, SOL_SOCKET, SO_ERROR, &fehler, &l) < 0) fehler = errno;
        readiness(verbindung_, FD_CONNECT, static_cast<uint16_t>(winsockFehler(fehler)));
        return;
    }
    readiness(verbindung_, FD_WRITE, 0);
}

void TWSocket::lesbar() {
    if (handle_ < 0) return;
    if (RcvdCount() > 0) {
        empfangenSeitLesbar_ = false;
        readiness(verbindung_, FD_READ, 0);
        if (handle_ >= 0 && state_ == wsConnected && !empfangenSeitLesbar_ && RcvdCount() > 0) {
            // The reader has stopped reading: wait for the next Receive, and meanwhile only
            // look out for the peer's close.
            empfangGeparkt_ = true;
            notifierAnpassen();
            fenster_->ruhend.start();
        }
        return;
    }
    char probe = 0;
    ssize_t n = ::recv(handle_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) return readiness(verbindung_, FD_READ, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    uint16_t fehler = n < 0 ? letzterFehler() : 0;
    fenster_->lesen.setEnabled(false);
    readiness(verbindung_, FD_CLOSE, fehler);
}

void TWSocket::ruhendPruefen() {
    if (handle_ < 0 || !empfangGeparkt_) {
        fenster_->ruhend.stop();
        return;
    }
    pollfd p{handle_, static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&p, 1, 0) <= 0) return;
    if (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) {
        int fehler = 0;
        socklen_t l = sizeof fehler;
        ::getsockopt(handle_, SOL_SOCKET, SO_ERROR, &fehler, &l);
        empfangGeparkt_ = false;
        fenster_->ruhend.stop();
        readiness(verbindung_, FD_CLOSE, static_cast<uint16_t>(winsockFehler(fehler)));
    }
}

void TWSocket::readiness(uint32_t verbindung, uint16_t ereignis, uint16_t fehler) {
    if (verbindung != verbindung_ || handle_ < 0) return;
    geschuetzt([&] {
        if (ereignis & FD_CONNECT) {
            changeState(wsConnected);
            notifierAnpassen();
            if (fehler == 0) postReadiness(FD_WRITE, 0);
            if (OnSessionConnected) OnSessionConnected(*this, fehler);
            if (fehler != 0 && state_ != wsClosed) Close();
        }
        if ((ereignis & FD_READ) && verbindung == verbindung_) receiveLoop(fehler, false);
        if ((ereignis & FD_WRITE) && verbindung == verbindung_) {
            tryToSend();
            if (allSent_ && verbindung == verbindung_ && OnDataSent) OnDataSent(*this, fehler);
        }
        if ((ereignis & FD_CLOSE) && verbindung == verbindung_ && state_ != wsConnecting) {
            receiveLoop(0, true); // nothing more comes: what is left goes now
            if (!closeInvoked_) {
                closeInvoked_ = true;
                if (OnSessionClosed) OnSessionClosed(*this, fehler);
            }
            if (state_ != wsClosed) Close();
        }
    });
}

void TWSocket::receiveLoop(uint16_t error, bool ganz) {
    const auto anfang = std::chrono::steady_clock::now();
    const int64_t anfangsZahl = readCount_;
    for (;;) {
        if (handle_ < 0) return;
        lastError_ = 0;
        int64_t vorher = readCount_;
        if (OnDataAvailable) {
            try {
                OnDataAvailable(*this, error);
            } catch (...) {
                return;
            }
        } else {
            char abfall[1024];
            if (Receive(abfall, sizeof abfall) < 0 && lastError_ == wsaEWOULDBLOCK) {
                lastError_ = 0;
                return;
            }
        }
        if (ComponentOptions & wsoNoReceiveLoop) return;
        if (lastError_ != 0 || handle_ < 0) return;
        // A handler that took nothing would otherwise be asked again for ever.
        if (readCount_ == vorher) return;
        if (!ganz && (readCount_ - anfangsZahl >= empfangsHappen ||
                      std::chrono::steady_clock::now() - anfang >= empfangsFrist))
            return;
        int wartend = 0;
        if (::ioctl(handle_, FIONREAD, &wartend) < 0) {
            lastError_ = letzterFehler();
            return;
        }
        if (wartend <= 0) return;
    }
}

int TWSocket::Receive(void* buffer, int size) {
    if (handle_ < 0) {
        lastError_ = wsaENOTSOCK;
        return -1;
    }
    ssize_t n = ::recv(handle_, buffer, static_cast<std::size_t>(std::max(size, 0)), 0);
    if (n < 0) {
        lastError_ = letzterFehler();
        return -1;
    }
    readCount_ += n;
    empfangenSeitLesbar_ = true;
    if (empfangGeparkt_) {
        empfangGeparkt_ = false;
        notifierAnpassen();
    }
    return static_cast<int>(n);
}

void TWSocket::deleteBufferedData() {
    sendQueue_.clear();
    allSent_ = true;
}

void TWSocket::putDataInSendBuffer(const char* data, int len) {
    if (sendQueue_.empty()) sendQueue_.push_back(std::make_unique<TBuffer>());
    int n = sendQueue_.back()->Write(data, len);
    while (n < len) {
        sendQueue_.push_back(std::make_unique<TBuffer>());
        n += sendQueue_.back()->Write(data + n, len - n);
    }
}

int TWSocket::Send(const void* data, int len) {
    if (state_ != wsConnected) {
        socketError("Send", wsaENOTCONN);
        return -1;
    }
    allSent_ = false;
    if (len > 0) putDataInSendBuffer(static_cast<const char*>(data), len);
    tryToSend();
    if (allSent_ && handle_ >= 0) postReadiness(FD_WRITE, 0);
    return len > 0 ? len : 0;
}

bool TWSocket::tryToSend() {
    if (handle_ < 0 || sendQueue_.empty()) return false;
    uint32_t verbindung = verbindung_;
    for (;;) {
        if (sendQueue_.empty()) break;
        TBuffer& block = *sendQueue_.front();
        int len = 0;
        const char* p = block.Peek(len);
        if (len <= 0) {
            if (sendQueue_.size() == 1) {
                allSent_ = true;
                break;
            }
            sendQueue_.pop_front();
            continue;
        }
        ssize_t n = ::send(handle_, p, static_cast<std::size_t>(len), MSG_NOSIGNAL);
        if (n == 0) break;
        if (n < 0) {
            int fehler = winsockFehler(errno);
            if (fehler == wsaECONNRESET || fehler == wsaENOTSOCK || fehler == wsaENOTCONN ||
                fehler == wsaEINVAL || fehler == wsaECONNABORTED) {
                closeInvoked_ = true;
                Close();
                if (OnSessionClosed) OnSessionClosed(*this, static_cast<uint16_t>(fehler));
                return false;
            }
            if (fehler != wsaEWOULDBLOCK) socketError("TryToSend failed", fehler);
            break;
        }
        block.Remove(static_cast<int>(n));
        if (OnSendData) OnSendData(*this, static_cast<int>(n));
        if (verbindung != verbindung_ || handle_ < 0) return false;
        if (n < len) break;
    }
    notifierAnpassen();
    return allSent_;
}

void TWSocket::Close() {
    internalClose(true, 0);
}

void TWSocket::Abort() {
    CancelDnsLookup();
    deleteBufferedData();
    if (state_ == wsConnected && protoNummer_ == IPPROTO_TCP) {
        LingerOnOff = wsLingerOff;
        try {
            applyLinger();
        } catch (...) {
        }
    }
    internalClose(false, 0);
}

void TWSocket::internalClose(bool shut, uint16_t error) {
    if (handle_ < 0) {
        if (state_ != wsClosed) {
            changeState(wsClosed);
            assignDefaultValue();
        }
        return;
    }
    if (state_ == wsClosed) return;
    fenster_->lesen.setEnabled(false);
    fenster_->schreiben.setEnabled(false);
    fenster_->ruhend.stop();
    if (shut) ::shutdown(handle_, SHUT_WR);
    ::close(handle_); // the descriptor is released even when close reports a failure
    handle_ = -1;
    ++verbindung_;
    changeState(wsClosed);
    if (!destroying_ && !closeInvoked_) {
        closeInvoked_ = true;
        if (OnSessionClosed) OnSessionClosed(*this, error);
    }
    if (handle_ < 0 && state_ == wsClosed) {
        try {
            assignDefaultValue();
        } catch (...) {
        }
    }
}

void TWSocket::ProcessMessages() {
    QCoreApplication::processEvents();
}
