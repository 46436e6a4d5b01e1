// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "httpheader.h"
#include "redirect.h"
#include "stream.h"

class TWSocket;
class THttpNotices;

enum THttpState : uint8_t {
    hsReady = 0,
    hsNotConnected = 1,
    hsConnected = 2,
    hsDnsLookup = 3,
    hsDnsLookupDone = 4,
    hsWaitingHeader = 5,
    hsWaitingBody = 6,
};

enum THttpRequest : uint8_t { hrNone = 0, hrGet = 1, hrPost = 2, hrHead = 3 };

// A failed request. ErrorCode is 1 (busy), 2 (nothing to post), 4 (line too long),
// 5 (time bound), 6 (too many redirects), 7 and 8 (header bounds) or the HTTP status of 400
// and above.
class EHttpException final : public std::runtime_error {
public:
    EHttpException(const std::string& message, uint16_t errorCode)
        : std::runtime_error(message), ErrorCode(errorCode) {}
    uint16_t ErrorCode;
};

constexpr uint16_t httpErrBusy = 1;
constexpr uint16_t httpErrNoData = 2;
constexpr uint16_t httpErrLineTooLong = 4;
constexpr uint16_t httpErrTimeout = 5;
constexpr uint16_t httpErrTooManyRedirects = 6;
constexpr uint16_t httpErrHeaderTooLarge = 7;
constexpr uint16_t httpErrTooManyHeaderLines = 8;

// A message-driven HTTP/1.0 client with one synchronous operation, Get. Every step of a
// request runs from the event loop of the owning thread; Get pumps that loop itself
// until the request is over.
class THttpCli final {
public:
    using TNotifyEvent = std::function<void(THttpCli& sender)>;
    using TOnCommand = std::function<void(THttpCli& sender, std::string& s)>;
    using TDocDataEvent = std::function<void(THttpCli& sender, const char* buffer, int len)>;
    using TCookieRcvdEvent =
        std::function<void(THttpCli& sender, const std::string& data, bool& accept)>;
    using THttpRequestDone =
        std::function<void(THttpCli& sender, THttpRequest rqType, uint16_t error)>;

    THttpCli();
    ~THttpCli();
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    // Properties the caller sets before a request.
    std::string URL;
    std::string Proxy;
    std::string ProxyPort = "80";
    std::string Agent = "Mozilla/3.0 (compatible)";
    std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    bool NoCache = false;
    std::string ContentTypePost = "application/x-www-form-urlencoded";
    std::string Sender;
    std::string Reference;
    std::string Username;
    std::string Password;
    std::string ProxyUsername;
    std::string ProxyPassword;
    double ModifiedSince = 0; // days since 1899-12-30; 0 = none
    std::string Cookie;
    std::string ContentRangeBegin;
    std::string ContentRangeEnd;
    // Owned by the caller; may be null. The client only appends to it.
    TStream* ReceiveStream = nullptr;
    // Owned by the caller; the body of a POST.
    TStream* SendStream = nullptr;

    // Bounds of one Get: the whole request in milliseconds, and the redirects followed.
    int Timeout = 30000;
    int MaxRedirects = 10;

    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool value);

    // Results.
    int32_t StatusCode() const { return statusCode_; }
    const std::string& ReasonPhrase() const { return reasonPhrase_; }
    int32_t ContentLength() const { return contentLength_; }
    const std::string& ContentType() const { return contentType_; }
    const std::string& Location() const { return target_.location; }
    const std::vector<std::string>& RcvdHeader() const { return rcvdHeader_; }
    int64_t RcvdCount() const { return rcvdCount_; }
    const std::vector<std::string>& WWWAuthInfos() const { return wwwAuthInfos_; }
    const std::string& DocName() const { return docName_; }
    const std::string& AcceptRanges() const { return acceptRanges_; }
    uint16_t RequestDoneError() const { return requestDoneError_; }
    THttpState State() const { return state_; }

    // Fetches URL into ReceiveStream; returns when the request is over and the connection
    // closed. Raises EHttpException for a failed request, ESocketException when the name
    // lookup cannot be started.
    void Get();

    // Events; each fires only when set.
    TNotifyEvent OnStateChange;
    TNotifyEvent OnSessionConnected;
    TNotifyEvent OnRequestHeaderBegin;
    TNotifyEvent OnRequestHeaderEnd;
    TOnCommand OnCommand;
    TNotifyEvent OnHeaderBegin;
    TNotifyEvent OnHeaderData;
    TNotifyEvent OnHeaderEnd;
    TNotifyEvent OnDocBegin;
    TDocDataEvent OnDocData;
    TNotifyEvent OnDocEnd;
    TNotifyEvent OnSendBegin;
    TDocDataEvent OnSendData;
    TNotifyEvent OnSendEnd;
    TCookieRcvdEvent OnCookie;
    TNotifyEvent OnLocationChange;
    THttpRequestDone OnRequestDone;
    TNotifyEvent OnTrace;

private:
    friend class THttpNotices;

    // The component's steps. Nothing derives from the client, so none of them is virtual.
    void SendCommand(const std::string& cmd);
    void StartLookup();
    void Logout();
    void LocationSessionClosed(uint16_t error);
    // The firing steps: each calls its event when one is set.
    void TriggerCookie(const std::string& data, bool& accept);
    void TriggerSessionConnected();
    void TriggerRequestHeaderBegin();
    void TriggerRequestHeaderEnd();
    void TriggerHeaderBegin();
    void TriggerHeaderEnd();
    void TriggerDocBegin();
    void TriggerDocData(const char* data, int len);
    void TriggerDocEnd();

    enum class TLineHandler : uint8_t { header, body };

    void setState(THttpState next);
    void doRequestSync(THttpRequest rq);
    void doRequestAsync(THttpRequest rq);
    void socketDnsLookupDone(uint16_t error);
    void socketSessionConnected(uint16_t error);
    void socketDataAvailable(uint16_t error);
    void socketDataSent(uint16_t error);
    void socketSessionClosed(uint16_t error);
    void hookSessionClosed(bool redirect);
    void processData(int received);
    void processHeader();
    void dropFront(std::size_t count);
    void headerLine(std::string_view line);
    void bodyBlock(std::string_view block);
    void headerBegin();
    void headerEnd();
    void noHeader();
    void sendRequest(const std::string& method);
    void postReady();
    void processReady(uint32_t request);
    void processDone(uint32_t request);
    void processReconnect(uint32_t request);
    void endRequest(uint16_t errorCode, const std::string& text);

    std::unique_ptr<TWSocket> socket_;
    std::unique_ptr<THttpNotices> notices_;

    THttpState state_ = hsReady;
    THttpRequest requestType_ = hrNone;
    bool multiThreaded_ = false;

    int32_t statusCode_ = 0;
    std::string reasonPhrase_;
    int32_t contentLength_ = -1;
    std::string contentType_;
    std::vector<std::string> rcvdHeader_;
    int64_t rcvdCount_ = 0;
    int64_t sentCount_ = 0;
    std::vector<std::string> wwwAuthInfos_;
    std::string docName_;
    std::string acceptRanges_;
    uint16_t requestDoneError_ = 0;

    std::string user_; // credentials of this request: its URL's, else Username and Password
    std::string pass_;
    THttpTarget target_; // where the request goes; its location is Location()
    std::string dnsResult_;
    bool connected_ = false;
    bool locationSeen_ = false;
    bool allowedToSend_ = false;

    static constexpr int receiveSize = 8192;
    char receiveBuffer_[receiveSize + 1] = {};
    int receivedLength_ = 0;
    int headerLines_ = 0;
    THeaderCount headerCount_; // of the current response, against the header bounds
    int bodyBlocks_ = 0;
    TLineHandler lineHandler_ = TLineHandler::header;
    std::string requestText_; // request assembled here, emptied after sending

    // Bookkeeping of one Get: its serial (stale notices are ignored), redirects followed,
    // and an end forced by a bound, which Get reports instead of the status.
    uint32_t requestNumber_ = 0;
    int redirects_ = 0;
    uint16_t abortCode_ = 0;
    std::string abortText_;
};
