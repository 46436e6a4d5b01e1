// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wsocket.h"

#include "wsocketconvert.h"

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

// The socket's notifications reach it as events posted to its receiver, handled in the
// order posted.
const QEvent::Type readinessType = static_cast<QEvent::Type>(QEvent::User + 1025);
const QEvent::Type lookupType = static_cast<QEvent::Type>(QEvent::User + 1026);

struct TReadinessEvent final : QEvent {
    TReadinessEvent(uint32_t v, uint16_t e, uint16_t f)
        : QEvent(readinessType), connection(v), event(e), error(f) {}
    uint32_t connection;
    uint16_t event;
    uint16_t error;
};

struct TLookupEvent final : QEvent {
    TLookupEvent(uint32_t l, uint16_t f, std::vector<uint32_t> a)
        : QEvent(lookupType), lookup(l), error(f), addresses(std::move(a)) {}
    uint32_t lookup;
    uint16_t error;
    std::vector<uint32_t> addresses;
};

std::string dotted(uint32_t address) {
    in_addr a{};
    a.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

uint16_t lastSocketError() {
    return static_cast<uint16_t>(winsockError(errno));
}

// How often a socket whose reader has stopped reading looks for the peer's close.
constexpr int idleCheckIntervalMs = 20;

// How much one read notification may take before the event loop gets its turn back; the
// next notification goes on where this one stopped.
constexpr int64_t receiveSlice = 64 * 1024;
constexpr auto receiveTimeSlice = std::chrono::milliseconds(5);

} // namespace

// The worker of a name lookup posts its answer here; the socket unhooks itself on
// destruction, so a late answer goes nowhere.
struct TLookupRelay {
    std::mutex mutex;
    QObject* target = nullptr;
};

// The socket's hidden receiver of notifications.
class TSocketReceiver final : public QObject {
public:
    explicit TSocketReceiver(TWSocket& s)
        : socket(s), reader(QSocketNotifier::Read, this), writer(QSocketNotifier::Write, this) {
        reader.setEnabled(false);
        writer.setEnabled(false);
        QObject::connect(&reader, &QSocketNotifier::activated, this, [this] { socket.readable(); });
        QObject::connect(&writer, &QSocketNotifier::activated, this, [this] { socket.writable(); });
        idleCheck.setInterval(idleCheckIntervalMs);
        QObject::connect(&idleCheck, &QTimer::timeout, this, [this] { socket.checkIdle(); });
    }

    bool event(QEvent* e) override {
        if (e->type() == readinessType) {
            auto* r = static_cast<TReadinessEvent*>(e);
            socket.readiness(r->connection, r->event, r->error);
            return true;
        }
        if (e->type() == lookupType) {
            auto* l = static_cast<TLookupEvent*>(e);
            socket.lookupDone(l->lookup, l->error, l->addresses);
            return true;
        }
        return QObject::event(e);
    }

    TWSocket& socket;
    QSocketNotifier reader;
    QSocketNotifier writer;
    QTimer idleCheck;
};

TWSocket::TWSocket()
    : receiver_(std::make_unique<TSocketReceiver>(*this)),
      relay_(std::make_shared<TLookupRelay>()) {
    relay_->target = receiver_.get();
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
    std::lock_guard<std::mutex> lock(relay_->mutex);
    relay_->target = nullptr;
}

template <class F> void TWSocket::guarded(F&& f) {
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

void TWSocket::changeState(TSocketState newState) {
    TSocketState oldState = state_;
    state_ = newState;
    if (oldState != newState && OnChangeState) OnChangeState(*this, oldState, newState);
}

void TWSocket::assignDefaultValue() {
    sinAddr_ = 0;
    sinPort_ = 0;
    addrAssigned_ = portAssigned_ = false;
    addrResolved_ = portResolved_ = localPortResolved_ = protoResolved_ = false;
    proto_ = "tcp";
    protoAssigned_ = true;
    protoNumber_ = IPPROTO_TCP;
    socketType_ = SOCK_STREAM;
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
    receiveParked_ = false;
    receiver_->idleCheck.stop();
}

void TWSocket::raiseException(const std::string& msg) {
    if (OnError) {
        OnError(*this);
        return;
    }
    throw ESocketException(msg);
}

void TWSocket::socketError(const char* function, int error) {
    std::string msg = "Error " + std::to_string(error) + " in function " + function + "\r\n" +
                      WSocketErrorDesc(error);
    if ((error == wsaECONNRESET || error == wsaENOTCONN) && handle_ >= 0) {
        receiver_->reader.setEnabled(false);
        receiver_->writer.setEnabled(false);
        ::close(handle_);
        handle_ = -1;
        state_ = wsClosed;
    }
    lastError_ = error;
    raiseException(msg);
}

void TWSocket::SetAddr(const std::string& value) {
    if (state_ != wsClosed) {
        raiseException("Cannot change Addr if not closed");
        return;
    }
    std::string t = wsocketTrim(value);
    if (addrAssigned_ && t == addr_) return;
    addr_ = t;
    addrAssigned_ = !t.empty();
    addrResolved_ = false;
}

void TWSocket::SetPort(const std::string& value) {
    if (state_ != wsClosed) {
        raiseException("Cannot change Port if not closed");
        return;
    }
    std::string t = wsocketTrim(value);
    if (portAssigned_ && t == port_) return;
    port_ = t;
    portAssigned_ = !t.empty();
    portResolved_ = false;
}

void TWSocket::SetProto(const std::string& value) {
    if (state_ != wsClosed) {
        raiseException("Cannot change Proto if not closed");
        return;
    }
    std::string t = wsocketTrim(value);
    if (protoAssigned_ && t == proto_) return;
    proto_ = t;
    protoAssigned_ = !t.empty();
    protoResolved_ = false;
    portResolved_ = false;
}

int TWSocket::RcvdCount() const {
    if (handle_ < 0) return 0;
    int waiting = 0;
    if (::ioctl(handle_, FIONREAD, &waiting) < 0) return 0;
    return waiting;
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

    in_addr_t numeric = ::inet_addr(hostName.c_str());
    if (numeric != INADDR_NONE) {
        dnsResult_ = dotted(numeric);
        if (OnDnsLookupDone) OnDnsLookupDone(*this, 0);
        return;
    }

    if (++nextLookup_ == 0) ++nextLookup_;
    uint32_t lookup = nextLookup_;
    if (reservedName(hostName)) {
        lookupHandle_ = lookup;
        QCoreApplication::postEvent(receiver_.get(),
                                    new TLookupEvent(lookup, wsaHOST_NOT_FOUND, {}));
        return;
    }
    try {
        std::thread([relay = relay_, lookup, name = hostName] {
            addrinfo hints{};
            hints.ai_family = AF_INET;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* list = nullptr;
            int g = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
            uint16_t error = static_cast<uint16_t>(winsockLookupError(g));
            std::vector<uint32_t> addresses;
            for (addrinfo* a = g == 0 ? list : nullptr; a && addresses.size() < 256; a = a->ai_next)
                addresses.push_back(reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
            if (list) ::freeaddrinfo(list);
            if (error == 0 && addresses.empty()) error = wsaNO_DATA;
            std::lock_guard<std::mutex> lock(relay->mutex);
            if (relay->target)
                QCoreApplication::postEvent(relay->target,
                                            new TLookupEvent(lookup, error, std::move(addresses)));
        }).detach();
    } catch (const std::system_error& e) {
        throw ESocketException(hostName + ": can't start DNS lookup, error #" +
                               std::to_string(winsockError(e.code().value())));
    }
    lookupHandle_ = lookup;
}

void TWSocket::CancelDnsLookup() {
    if (lookupHandle_ == 0) return;
    lookupHandle_ = 0;
    if (!destroying_ && OnDnsLookupDone) OnDnsLookupDone(*this, wsaEINTR);
}

void TWSocket::lookupDone(uint32_t lookup, uint16_t error, const std::vector<uint32_t>& addresses) {
    if (lookup == 0 || lookup != lookupHandle_) return;
    guarded([&] {
        lookupHandle_ = 0;
        if (error == 0) {
            for (uint32_t a : addresses) dnsResultList_.push_back(dotted(a));
            if (!dnsResultList_.empty()) dnsResult_ = dnsResultList_.front();
        }
        if (OnDnsLookupDone) OnDnsLookupDone(*this, error);
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
        socketError("setsockopt(SO_LINGER)", lastSocketError());
}

void TWSocket::Connect() {
    if (handle_ >= 0 && state_ != wsClosed) return raiseException("Connect: Socket already in use");
    if (!portAssigned_) return raiseException("Connect: No Port Specified");
    if (!addrAssigned_) return raiseException("Connect: No IP Address Specified");
    if (!protoAssigned_) return raiseException("Connect: No Protocol Specified");
    try {
        if (!protoResolved_) {
            protoNumber_ = WSocketResolveProto(proto_);
            socketType_ = protoNumber_ == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
            protoResolved_ = true;
        }
        if (!portResolved_) {
            sinPort_ = WSocketResolvePort(port_, proto_);
            portResolved_ = true;
        }
        if (!localPortResolved_) {
            localPortNumber_ = ntohs(WSocketResolvePort(LocalPort, proto_));
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
    int fd = ::socket(AF_INET, socketType_ | SOCK_NONBLOCK | SOCK_CLOEXEC, protoNumber_);
    if (fd < 0) return socketError("Connect (socket)", lastSocketError());
    handle_ = fd;
    ++connection_;
    changeState(wsOpened);

    if (localPortNumber_ != 0 || LocalAddr != "0.0.0.0") {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(localPortNumber_);
        local.sin_addr.s_addr = ::inet_addr(LocalAddr.c_str());
        if (::bind(handle_, reinterpret_cast<sockaddr*>(&local), sizeof local) < 0)
            return raiseException("winsock.bind failed, error #" +
                                  std::to_string(lastSocketError()));
        socklen_t l = sizeof local;
        if (::getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &l) < 0)
            return raiseException("winsock.getsockname failed, error #" +
                                  std::to_string(lastSocketError()));
        localPortNumber_ = ntohs(local.sin_port);
        LocalPort = std::to_string(localPortNumber_);
    }
    if (socketType_ == SOCK_STREAM) {
        applyLinger();
        int on = 1;
        if (::setsockopt(handle_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) < 0)
            return socketError("setsockopt(SO_KEEPALIVE)", lastSocketError());
        if (::setsockopt(handle_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) < 0)
            return socketError("setsockopt(SO_REUSEADDR)", lastSocketError());
    }

    selectEvent_ = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
    receiver_->reader.setSocket(handle_);
    receiver_->writer.setSocket(handle_);

    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = sinPort_;
    target.sin_addr.s_addr = sinAddr_;
    int r = ::connect(handle_, reinterpret_cast<sockaddr*>(&target), sizeof target);
    int e = r == 0 ? 0 : errno;
    if (socketType_ == SOCK_DGRAM) {
        if (r < 0) {
            lastError_ = winsockError(e);
            return socketError("Connect", lastError_);
        }
        changeState(wsConnected);
        updateNotifiers();
        if (OnSessionConnected) OnSessionConnected(*this, 0);
        return;
    }
    if (r == 0 || e == EINPROGRESS || e == EAGAIN) {
        changeState(wsConnecting);
        updateNotifiers();
        return;
    }
    if (e == ECONNREFUSED || e == ETIMEDOUT || e == ENETUNREACH || e == EHOSTUNREACH) {
        // An outcome, not a fault of the call: it arrives as the connect notification.
        changeState(wsConnecting);
        postReadiness(FD_CONNECT, static_cast<uint16_t>(winsockError(e)));
        return;
    }
    lastError_ = winsockError(e);
    socketError("Connect", lastError_);
}

void TWSocket::updateNotifiers() {
    bool open = handle_ >= 0;
    bool waiting = false;
    for (const auto& b : sendQueue_) waiting = waiting || b->Pending() > 0;
    receiver_->writer.setEnabled(open && (state_ == wsConnecting || waiting));
    receiver_->reader.setEnabled(open && (state_ == wsConnected) && !receiveParked_);
    if (!open || !receiveParked_) receiver_->idleCheck.stop();
}

void TWSocket::postReadiness(uint16_t event, uint16_t error) {
    QCoreApplication::postEvent(receiver_.get(), new TReadinessEvent(connection_, event, error));
}

void TWSocket::writable() {
    if (handle_ < 0) return;
    if (state_ == wsConnecting) {
        int error = 0;
        socklen_t l = sizeof error;
        if (::getsockopt(handle_, SOL_SOCKET, SO_ERROR, &error, &l) < 0) error = errno;
        readiness(connection_, FD_CONNECT, static_cast<uint16_t>(winsockError(error)));
        return;
    }
    readiness(connection_, FD_WRITE, 0);
}

void TWSocket::readable() {
    if (handle_ < 0) return;
    if (RcvdCount() > 0) {
        receivedSinceReadable_ = false;
        readiness(connection_, FD_READ, 0);
        if (handle_ >= 0 && state_ == wsConnected && !receivedSinceReadable_ && RcvdCount() > 0) {
            // The reader has stopped reading: wait for the next Receive, and meanwhile only
            // look out for the peer's close.
            receiveParked_ = true;
            updateNotifiers();
            receiver_->idleCheck.start();
        }
        return;
    }
    char probe = 0;
    ssize_t n = ::recv(handle_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) return readiness(connection_, FD_READ, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    uint16_t error = n < 0 ? lastSocketError() : 0;
    receiver_->reader.setEnabled(false);
    readiness(connection_, FD_CLOSE, error);
}

void TWSocket::checkIdle() {
    if (handle_ < 0 || !receiveParked_) {
        receiver_->idleCheck.stop();
        return;
    }
    pollfd p{handle_, static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&p, 1, 0) <= 0) return;
    if (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) {
        int error = 0;
        socklen_t l = sizeof error;
        ::getsockopt(handle_, SOL_SOCKET, SO_ERROR, &error, &l);
        receiveParked_ = false;
        receiver_->idleCheck.stop();
        readiness(connection_, FD_CLOSE, static_cast<uint16_t>(winsockError(error)));
    }
}

void TWSocket::readiness(uint32_t connection, uint16_t event, uint16_t error) {
    if (connection != connection_ || handle_ < 0) return;
    guarded([&] {
        if (event & FD_CONNECT) {
            changeState(wsConnected);
            updateNotifiers();
            if (error == 0) postReadiness(FD_WRITE, 0);
            if (OnSessionConnected) OnSessionConnected(*this, error);
            if (error != 0 && state_ != wsClosed) Close();
        }
        if ((event & FD_READ) && connection == connection_) receiveLoop(error, false);
        if ((event & FD_WRITE) && connection == connection_) {
            tryToSend();
            if (allSent_ && connection == connection_ && OnDataSent) OnDataSent(*this, error);
        }
        if ((event & FD_CLOSE) && connection == connection_ && state_ != wsConnecting) {
            receiveLoop(0, true); // nothing more comes: what is left goes now
            if (!closeInvoked_) {
                closeInvoked_ = true;
                if (OnSessionClosed) OnSessionClosed(*this, error);
            }
            if (state_ != wsClosed) Close();
        }
    });
}

void TWSocket::receiveLoop(uint16_t error, bool whole) {
    const auto start = std::chrono::steady_clock::now();
    const int64_t startCount = readCount_;
    for (;;) {
        if (handle_ < 0) return;
        lastError_ = 0;
        int64_t before = readCount_;
        if (OnDataAvailable) {
            try {
                OnDataAvailable(*this, error);
            } catch (...) {
                return;
            }
        } else {
            char discard[1024];
            if (Receive(discard, sizeof discard) < 0 && lastError_ == wsaEWOULDBLOCK) {
                lastError_ = 0;
                return;
            }
        }
        if (ComponentOptions & wsoNoReceiveLoop) return;
        if (lastError_ != 0 || handle_ < 0) return;
        // A handler that took nothing would otherwise be asked again for ever.
        if (readCount_ == before) return;
        if (!whole && (readCount_ - startCount >= receiveSlice ||
                       std::chrono::steady_clock::now() - start >= receiveTimeSlice))
            return;
        int waiting = 0;
        if (::ioctl(handle_, FIONREAD, &waiting) < 0) {
            lastError_ = lastSocketError();
            return;
        }
        if (waiting <= 0) return;
    }
}

int TWSocket::Receive(void* buffer, int size) {
    if (handle_ < 0) {
        lastError_ = wsaENOTSOCK;
        return -1;
    }
    ssize_t n = ::recv(handle_, buffer, static_cast<std::size_t>(std::max(size, 0)), 0);
    if (n < 0) {
        lastError_ = lastSocketError();
        return -1;
    }
    readCount_ += n;
    receivedSinceReadable_ = true;
    if (receiveParked_) {
        receiveParked_ = false;
        updateNotifiers();
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
    uint32_t connection = connection_;
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
            int error = winsockError(errno);
            if (error == wsaECONNRESET || error == wsaENOTSOCK || error == wsaENOTCONN ||
                error == wsaEINVAL || error == wsaECONNABORTED) {
                closeInvoked_ = true;
                Close();
                if (OnSessionClosed) OnSessionClosed(*this, static_cast<uint16_t>(error));
                return false;
            }
            if (error != wsaEWOULDBLOCK) socketError("TryToSend failed", error);
            break;
        }
        block.Remove(static_cast<int>(n));
        if (OnSendData) OnSendData(*this, static_cast<int>(n));
        if (connection != connection_ || handle_ < 0) return false;
        if (n < len) break;
    }
    updateNotifiers();
    return allSent_;
}

void TWSocket::Close() {
    internalClose(true, 0);
}

void TWSocket::Abort() {
    CancelDnsLookup();
    deleteBufferedData();
    if (state_ == wsConnected && protoNumber_ == IPPROTO_TCP) {
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
    receiver_->reader.setEnabled(false);
    receiver_->writer.setEnabled(false);
    receiver_->idleCheck.stop();
    if (shut) ::shutdown(handle_, SHUT_WR);
    ::close(handle_); // the descriptor is released even when close reports a failure
    handle_ = -1;
    ++connection_;
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
