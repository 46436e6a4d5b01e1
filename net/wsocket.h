// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "buffer.h"
#include "wsocketerror.h"

class TSocketReceiver;
struct TLookupRelay;

enum TSocketState : uint8_t {
    wsInvalidState = 0,
    wsOpened = 1,
    wsBound = 2,
    wsConnecting = 3,
    wsConnected = 4,
    wsAccepting = 5,
    wsListening = 6,
    wsClosed = 7,
};

enum TSocketLingerOnOff : uint8_t { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TSocketSendFlags : uint8_t { wsSendNormal, wsSendUrgent };
enum TWSocketOption : uint8_t { wsoNoReceiveLoop = 1 };

// Readiness bits of a socket notification.
constexpr uint16_t FD_READ = 1;
constexpr uint16_t FD_WRITE = 2;
constexpr uint16_t FD_ACCEPT = 8;
constexpr uint16_t FD_CONNECT = 16;
constexpr uint16_t FD_CLOSE = 32;

// One non-blocking TCP socket whose readiness arrives as events from the owning thread's
// event loop. Nothing here blocks on the network except the conversions of Connect.
class TWSocket final {
public:
    using TNotify = std::function<void(TWSocket& sender)>;
    using TErrorEvent = std::function<void(TWSocket& sender, uint16_t error)>;
    using TSendData = std::function<void(TWSocket& sender, int bytesSent)>;
    using TChangeState =
        std::function<void(TWSocket& sender, TSocketState oldState, TSocketState newState)>;
    using TBgExceptionEvent =
        std::function<void(TWSocket& sender, std::exception_ptr e, bool& canClose)>;

    TWSocket();
    ~TWSocket();
    TWSocket(const TWSocket&) = delete;
    TWSocket& operator=(const TWSocket&) = delete;

    // Settable only while closed; trimmed; an empty value counts as not assigned.
    const std::string& Addr() const { return addr_; }
    void SetAddr(const std::string& value);
    const std::string& Port() const { return port_; }
    void SetPort(const std::string& value);
    const std::string& Proto() const { return proto_; }
    void SetProto(const std::string& value);

    std::string LocalAddr = "0.0.0.0";
    std::string LocalPort = "0";
    TSocketLingerOnOff LingerOnOff = wsLingerOn;
    int LingerTimeout = 0;
    uint8_t ComponentOptions = 0;
    int FlushTimeout = 60;
    bool MultiThreaded = false;

    const std::string& DnsResult() const { return dnsResult_; }
    const std::vector<std::string>& DnsResultList() const { return dnsResultList_; }
    TSocketState State() const { return state_; }
    int64_t ReadCount() const { return readCount_; }
    int RcvdCount() const;
    int LastError() const { return lastError_; }
    std::string PeerAddr() const;
    std::string PeerPort() const;

    void DnsLookup(const std::string& hostName);
    void CancelDnsLookup();
    void Connect();
    int Send(const void* data, int len);
    int Receive(void* buffer, int size);
    void Close();
    void Abort();
    // Processes every pending event of the calling thread.
    void ProcessMessages();

    TErrorEvent OnDataAvailable;
    TErrorEvent OnDataSent;
    TSendData OnSendData;
    TErrorEvent OnSessionClosed;
    TErrorEvent OnSessionAvailable;
    TErrorEvent OnSessionConnected;
    TErrorEvent OnDnsLookupDone;
    TChangeState OnChangeState;
    TNotify OnError;
    TBgExceptionEvent OnBgException;

private:
    friend class TSocketReceiver;

    void changeState(TSocketState newState);
    void assignDefaultValue();
    void raiseException(const std::string& msg);
    void socketError(const char* function, int error);
    void internalClose(bool shut, uint16_t error);
    void applyLinger();
    bool tryToSend();
    void putDataInSendBuffer(const char* data, int len);
    void deleteBufferedData();
    // Reads while bytes wait; unless whole, only a bounded amount, so that the event loop
    // keeps running against a peer that sends without pause.
    void receiveLoop(uint16_t error, bool whole);
    void updateNotifiers();
    void postReadiness(uint16_t event, uint16_t error);
    // Handling of the notifications, each guarded by the background-exception rule.
    void readiness(uint32_t connection, uint16_t event, uint16_t error);
    void lookupDone(uint32_t lookup, uint16_t error, const std::vector<uint32_t>& addresses);
    void readable();
    void writable();
    void checkIdle();
    template <class F> void guarded(F&& f);

    std::unique_ptr<TSocketReceiver> receiver_;
    std::shared_ptr<TLookupRelay> relay_;

    int handle_ = -1;
    uint32_t connection_ = 0; // serial of the current handle; stale notices are dropped
    TSocketState state_ = wsClosed;
    std::string addr_, port_, proto_ = "tcp";
    bool addrAssigned_ = false, portAssigned_ = false, protoAssigned_ = true;
    bool addrResolved_ = false, portResolved_ = false, localPortResolved_ = false,
         protoResolved_ = false;
    uint32_t sinAddr_ = 0; // network order
    uint16_t sinPort_ = 0; // network order
    uint16_t localPortNumber_ = 0;
    int protoNumber_ = 6;
    int socketType_ = 1; // stream

    uint32_t lookupHandle_ = 0;
    uint32_t nextLookup_ = 0;
    std::string dnsResult_;
    std::vector<std::string> dnsResultList_;

    std::deque<std::unique_ptr<TBuffer>> sendQueue_;
    bool allSent_ = true;
    bool closeInvoked_ = false;
    bool destroying_ = false;
    bool receiveParked_ = false; // read readiness parked until the next Receive
    bool receivedSinceReadable_ = false;
    int64_t readCount_ = 0;
    int lastError_ = 0;
    uint16_t selectEvent_ = 0;
};
