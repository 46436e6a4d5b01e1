// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpcli.h"

#include "httprequest.h"
#include "httpurl.h"
#include "wsocket.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The client's three notices, posted to itself so that every step of a request runs from
// the event loop.
const QEvent::Type doneType = static_cast<QEvent::Type>(QEvent::User + 1024 + 1);
const QEvent::Type readyType = static_cast<QEvent::Type>(QEvent::User + 1024 + 2);
const QEvent::Type reconnectType = static_cast<QEvent::Type>(QEvent::User + 1024 + 3);

struct TNotice final : QEvent {
    TNotice(QEvent::Type type, uint32_t a) : QEvent(type), request(a) {}
    uint32_t request;
};

std::string errorText(int code) {
    return WSocketErrorDesc(code) + " (Error #" + std::to_string(code) + ")";
}

} // namespace

class THttpNotices final : public QObject {
public:
    explicit THttpNotices(THttpCli& c) : cli(c) {}

    bool event(QEvent* e) override {
        auto type = e->type();
        if (type != doneType && type != readyType && type != reconnectType)
            return QObject::event(e);
        uint32_t request = static_cast<TNotice*>(e)->request;
        // Nothing may escape into the event loop.
        try {
            if (type == readyType)
                cli.processReady(request);
            else if (type == doneType)
                cli.processDone(request);
            else
                cli.processReconnect(request);
        } catch (...) {
        }
        return true;
    }

    void post(QEvent::Type type, uint32_t request) {
        QCoreApplication::postEvent(this, new TNotice(type, request));
    }

    THttpCli& cli;
};

THttpCli::THttpCli()
    : socket_(std::make_unique<TWSocket>()), notices_(std::make_unique<THttpNotices>(*this)) {
    socket_->OnDnsLookupDone = [this](TWSocket&, uint16_t e) { socketDnsLookupDone(e); };
    socket_->OnSessionConnected = [this](TWSocket&, uint16_t e) { socketSessionConnected(e); };
    socket_->OnDataAvailable = [this](TWSocket&, uint16_t e) { socketDataAvailable(e); };
    socket_->OnDataSent = [this](TWSocket&, uint16_t e) { socketDataSent(e); };
    hookSessionClosed(false);
}

THttpCli::~THttpCli() {
    // The socket goes first: closing it must not reach a half-destroyed client.
    socket_->OnSessionClosed = nullptr;
    socket_->OnDnsLookupDone = nullptr;
    socket_.reset();
}

void THttpCli::SetMultiThreaded(bool value) {
    multiThreaded_ = value;
    socket_->MultiThreaded = value;
}

void THttpCli::setState(THttpState next) {
    if (state_ == next) return;
    state_ = next;
    if (OnStateChange) OnStateChange(*this);
}

void THttpCli::hookSessionClosed(bool redirect) {
    if (redirect)
        socket_->OnSessionClosed = [this](TWSocket&, uint16_t e) { LocationSessionClosed(e); };
    else
        socket_->OnSessionClosed = [this](TWSocket&, uint16_t e) { socketSessionClosed(e); };
}

// ---- starting a request -------------------------------------------------------------------

void THttpCli::Get() {
    doRequestSync(hrGet);
}

void THttpCli::doRequestSync(THttpRequest rq) {
    doRequestAsync(rq);

    // The timer wakes the pump; the clock holds the bound even when timers come late.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(Timeout);
    bool expired = false;
    QTimer alarm;
    alarm.setTimerType(Qt::PreciseTimer);
    alarm.setSingleShot(true);
    QObject::connect(&alarm, &QTimer::timeout, [&expired] { expired = true; });
    alarm.start(std::max(Timeout, 0));

    while (state_ != hsReady) {
        if (expired || std::chrono::steady_clock::now() >= deadline) {
            endRequest(httpErrTimeout, "HTTP request timed out");
            break;
        }
        if (multiThreaded_) {
            socket_->ProcessMessages();
            std::this_thread::yield();
        } else {
            // Sleeps until the next notification or the time bound instead of spinning.
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    }
    if (abortCode_ != 0) throw EHttpException(abortText_, abortCode_);
    if (statusCode_ >= 400) throw EHttpException(reasonPhrase_, static_cast<uint16_t>(statusCode_));
}

void THttpCli::doRequestAsync(THttpRequest rq) {
    if (state_ != hsReady) throw EHttpException("HTTP component is busy", httpErrBusy);
    if (rq == hrPost && !SendStream)
        throw EHttpException("HTTP component has nothing to post", httpErrNoData);

    rcvdHeader_.clear();
    wwwAuthInfos_.clear();
    requestType_ = rq;
    requestDoneError_ = 0;
    hookSessionClosed(false);
    ++requestNumber_;
    redirects_ = 0;
    abortCode_ = 0;
    abortText_.clear();
    receivedLength_ = 0;
    locationSeen_ = false;
    setState(hsNotConnected);

    docName_.clear();
    statusCode_ = 0;
    rcvdCount_ = 0;
    sentCount_ = 0;
    headerLines_ = 0;
    headerCount_ = {};
    bodyBlocks_ = 0;
    contentLength_ = -1;
    contentType_.clear();
    allowedToSend_ = false;
    target_.location = URL;

    THttpUrlParts parts = ParseURL(URL);
    // Credentials from a URL hold for its own request only; the properties stay as set.
    user_ = Username;
    pass_ = Password;
    if (Proxy.empty()) {
        target_.path = parts.path;
        target_.targetHost = parts.host;
        if (!parts.user.empty()) user_ = parts.user;
        if (!parts.pass.empty()) pass_ = parts.pass;
        target_.port = parts.port.empty() ? "80" : parts.port;
        target_.hostName = parts.host;
    } else {
        target_.targetHost = parts.host;
        target_.path = (parts.proto.empty() ? std::string("http") : parts.proto) + "://" +
                       parts.host + (parts.port.empty() ? "" : ":" + parts.port) + parts.path;
        THttpUrlParts proxy = ParseURL(Proxy);
        target_.hostName = proxy.host;
        target_.port = proxy.port.empty() ? ProxyPort : proxy.port;
    }
    if (target_.path.empty()) target_.path = "/";

    std::string name = parts.path;
    if (!name.empty() && name != "/") {
        if (name.back() == '/') name.pop_back();
        std::size_t slash = name.rfind('/');
        if (slash != std::string::npos) name = name.substr(slash + 1);
        name = name.substr(0, 255);
        name = name.substr(0, name.find('?'));
        docName_ = name;
    } else {
        docName_ = "document.htm";
    }

    try {
        StartLookup();
    } catch (...) {
        // The request never got under way; the client must not stay busy for good.
        setState(hsReady);
        throw;
    }
}

void THttpCli::StartLookup() {
    dnsResult_.clear();
    setState(hsDnsLookup);
    socket_->DnsLookup(target_.hostName);
}

void THttpCli::socketDnsLookupDone(uint16_t error) {
    if (state_ != hsDnsLookup) return;
    if (error != 0) {
        requestDoneError_ = error;
        statusCode_ = 404;
        reasonPhrase_ = "can't resolve hostname to IP address";
        socketSessionClosed(error);
        return;
    }
    dnsResult_ = socket_->DnsResult();
    setState(hsDnsLookupDone);
    try {
        socket_->SetAddr(dnsResult_);
        socket_->SetPort(target_.port);
        socket_->SetProto("tcp");
        socket_->Connect();
    } catch (const ESocketException&) {
        int code = socket_->LastError();
        requestDoneError_ = static_cast<uint16_t>(code);
        statusCode_ = 404;
        reasonPhrase_ = "can't connect: " + errorText(code);
        socket_->Close();
        socketSessionClosed(static_cast<uint16_t>(code));
    }
}

void THttpCli::socketSessionConnected(uint16_t error) {
    if (error != 0) {
        requestDoneError_ = error;
        statusCode_ = 404;
        reasonPhrase_ = errorText(error);
        socketSessionClosed(error);
        return;
    }
    connected_ = true;
    setState(hsConnected);
    TriggerSessionConnected();
    lineHandler_ = TLineHandler::header;
    setState(hsWaitingHeader);
    try {
        sendRequest(requestType_ == hrPost ? "POST" : requestType_ == hrHead ? "HEAD" : "GET");
    } catch (...) {
        Logout();
    }
}

// ---- the request --------------------------------------------------------------------------

void THttpCli::SendCommand(const std::string& cmd) {
    std::string line = cmd;
    if (OnCommand) OnCommand(*this, line);
    requestText_ += line;
    requestText_ += "\r\n";
}

void THttpCli::sendRequest(const std::string& method) {
    THttpRequestHeader a;
    a.method = method;
    a.target = target_.path;
    a.host = target_.targetHost;
    a.from = Sender;
    a.accept = Accept;
    a.referer = Reference;
    a.contentType = ContentTypePost;
    a.userAgent = Agent;
    a.noCache = NoCache;
    a.modifiedSince = ModifiedSince;
    a.user = user_;
    a.pass = pass_;
    if (!Proxy.empty()) {
        a.proxyUser = ProxyUsername;
        a.proxyPass = ProxyPassword;
    }
    a.cookie = Cookie;
    a.rangeBegin = ContentRangeBegin;
    a.rangeEnd = ContentRangeEnd;

    requestText_.clear();
    TriggerRequestHeaderBegin();
    for (const std::string& line : requestLines(a)) SendCommand(line);
    // A range is asked for once.
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
    acceptRanges_.clear();
    TriggerRequestHeaderEnd();
    SendCommand("");
    std::string data;
    data.swap(requestText_);
    socket_->Send(data.data(), static_cast<int>(data.size()));
}

void THttpCli::socketDataSent(uint16_t) {
    // Request bodies are not sent by this client; nothing waits for the queue to drain.
}

// ---- receiving ----------------------------------------------------------------------------

void THttpCli::socketDataAvailable(uint16_t) {
    int room = receiveSize - receivedLength_;
    if (room <= 0) throw EHttpException("HTTP line too long", httpErrLineTooLong);
    int received = socket_->Receive(receiveBuffer_ + receivedLength_, room);
    if (requestType_ == hrNone || received <= 0) return;
    processData(received);
}

void THttpCli::processData(int received) {
    receiveBuffer_[receivedLength_ + received] = 0;
    receivedLength_ += received;

    if (state_ == hsWaitingBody) {
        std::string block(receiveBuffer_, static_cast<std::size_t>(receivedLength_));
        receivedLength_ = 0;
        bodyBlock(block);
        return;
    }
    processHeader();
}

void THttpCli::processHeader() {
    THeaderPart part = splitHeader(std::string_view(receiveBuffer_, receivedLength_), headerCount_);
    // Each line leaves the buffer before it is handled: a line whose handling fails must not
    // come round again with the next bytes. What was found moves forward as lines leave.
    std::size_t removed = 0;
    for (const TBufferLine& line : part.lines) {
        std::string text(line.text.data() - removed, line.text.size());
        dropFront(line.end - removed);
        removed = line.end;
        headerLine(text);
    }
    dropFront(part.consumed - removed);
    switch (part.state) {
    case THeaderState::incomplete:
        return;
    case THeaderState::complete:
        headerBegin();
        headerEnd();
        return;
    case THeaderState::noHeader:
        headerBegin();
        noHeader();
        return;
    case THeaderState::tooManyLines:
        endRequest(httpErrTooManyHeaderLines, "HTTP header has too many lines");
        return;
    case THeaderState::tooManyBytes:
        endRequest(httpErrHeaderTooLarge, "HTTP header too large");
        return;
    }
}

void THttpCli::dropFront(std::size_t count) {
    std::size_t rest = static_cast<std::size_t>(receivedLength_) - count;
    std::memmove(receiveBuffer_, receiveBuffer_ + count, rest);
    receivedLength_ = static_cast<int>(rest);
    receiveBuffer_[receivedLength_] = 0;
}

void THttpCli::headerBegin() {
    if (headerLines_ == 0) TriggerHeaderBegin();
    ++headerLines_;
}

void THttpCli::headerLine(std::string_view line) {
    headerBegin();
    rcvdHeader_.emplace_back(line);
    THeaderLine field = parseHeaderLine(line);
    if (field.kind == THeaderLine::status) {
        statusCode_ = httpNumber(field.code);
        reasonPhrase_ = field.reason;
    } else if (field.kind == THeaderLine::field) {
        const std::string& name = field.name;
        std::string value(field.value);
        if (name == "location") {
            locationSeen_ = true;
            target_ = redirectTarget(target_, value);
        } else if (name == "content-length") {
            contentLength_ = httpNumber(value);
        } else if (name == "content-range") {
            std::size_t dash = value.find('-');
            std::size_t slashPos = value.find('/');
            if (dash != std::string::npos && dash > 6)
                ContentRangeBegin = value.substr(6, dash - 6);
            else
                ContentRangeBegin.clear();
            std::size_t after = dash == std::string::npos ? 0 : dash + 1;
            ContentRangeEnd = slashPos != std::string::npos && slashPos > after
                                  ? value.substr(after, slashPos - after)
                                  : std::string();
        } else if (name == "accept-ranges") {
            acceptRanges_ = value;
        } else if (name == "content-type") {
            contentType_ = lowerCase(value);
        } else if (name == "www-authenticate") {
            wwwAuthInfos_.push_back(value);
        } else if (name == "set-cookie") {
            bool accepted = true;
            TriggerCookie(value, accepted);
        }
    }
    if (OnHeaderData) OnHeaderData(*this);
    if (statusCode_ >= 400) socket_->Close();
}

void THttpCli::headerEnd() {
    if (locationSeen_) {
        TriggerHeaderEnd();
        receivedLength_ = 0;
        headerLines_ = 0;
        headerCount_ = {};
        bodyBlocks_ = 0;
        hookSessionClosed(true);
        socket_->Close();
        return;
    }
    if (docName_.size() >= 4 && lowerCase(docName_.substr(docName_.size() - 4)) == ".exe" &&
        contentType_ == "text/html") {
        std::size_t dot = docName_.rfind('.');
        docName_ =
            dot == std::string::npos ? docName_ + ".htm" : docName_.substr(0, dot + 1) + "htm";
    }
    setState(hsWaitingBody);
    lineHandler_ = TLineHandler::body;
    TriggerHeaderEnd();
    if (receivedLength_ > 0) {
        std::string rest(receiveBuffer_, static_cast<std::size_t>(receivedLength_));
        receivedLength_ = 0;
        bodyBlock(rest);
    }
}

// The server sent no header: the buffer starts with the "<html>" line.
void THttpCli::noHeader() {
    if (contentType_.empty()) contentType_ = "text/html";
    setState(hsWaitingBody);
    lineHandler_ = TLineHandler::body;
    TriggerHeaderEnd();
    // The lines of this same pass reach the body one by one, without their ends; what
    // follows them comes whole with the next bytes.
    while (auto line = findLine(std::string_view(receiveBuffer_, receivedLength_))) {
        std::string text(line->text);
        dropFront(line->end);
        bodyBlock(text);
    }
}

void THttpCli::bodyBlock(std::string_view block) {
    if (bodyBlocks_ == 0) TriggerDocBegin();
    ++bodyBlocks_;
    rcvdCount_ += static_cast<int64_t>(block.size());
    if (ReceiveStream) ReceiveStream->Write(block.data(), block.size());
    TriggerDocData(block.data(), static_cast<int>(block.size()));
}

// ---- redirects ----------------------------------------------------------------------------

void THttpCli::LocationSessionClosed(uint16_t) {
    connected_ = false;
    locationSeen_ = false;
    hookSessionClosed(false);
    if (++redirects_ > MaxRedirects) {
        abortCode_ = httpErrTooManyRedirects;
        abortText_ = "HTTP too many redirects";
        postReady();
        return;
    }
    if (OnLocationChange) OnLocationChange(*this);
    notices_->post(reconnectType, requestNumber_);
}

void THttpCli::processReconnect(uint32_t request) {
    if (request != requestNumber_ || state_ == hsReady) return;
    try {
        StartLookup();
    } catch (const std::exception& e) {
        // Inside the event loop nobody would catch it: end the request instead.
        statusCode_ = 404;
        reasonPhrase_ = e.what();
        socketSessionClosed(0);
    }
}

// ---- the end of a request -----------------------------------------------------------------

void THttpCli::Logout() {
    socket_->Close();
    connected_ = false;
}

void THttpCli::socketSessionClosed(uint16_t) {
    connected_ = false;
    if (bodyBlocks_ > 0) TriggerDocEnd();
    postReady();
}

void THttpCli::postReady() {
    notices_->post(readyType, requestNumber_);
}

void THttpCli::processReady(uint32_t request) {
    if (request != requestNumber_ || state_ == hsReady) return;
    setState(hsReady);
    notices_->post(doneType, request);
}

void THttpCli::processDone(uint32_t request) {
    if (request != requestNumber_) return;
    if (OnRequestDone) OnRequestDone(*this, requestType_, requestDoneError_);
}

void THttpCli::endRequest(uint16_t errorCode, const std::string& text) {
    abortCode_ = errorCode;
    abortText_ = text;
    // The socket's own close and lookup answers are not wanted any more.
    socket_->OnSessionClosed = nullptr;
    socket_->OnDnsLookupDone = nullptr;
    try {
        socket_->Abort();
    } catch (...) {
    }
    socket_->OnDnsLookupDone = [this](TWSocket&, uint16_t e) { socketDnsLookupDone(e); };
    hookSessionClosed(false);
    connected_ = false;
    setState(hsReady);
    notices_->post(doneType, requestNumber_);
}

// ---- firing operations --------------------------------------------------------------------

void THttpCli::TriggerCookie(const std::string& data, bool& accept) {
    if (OnCookie) OnCookie(*this, data, accept);
}
void THttpCli::TriggerSessionConnected() {
    if (OnSessionConnected) OnSessionConnected(*this);
}
void THttpCli::TriggerRequestHeaderBegin() {
    if (OnRequestHeaderBegin) OnRequestHeaderBegin(*this);
}
void THttpCli::TriggerRequestHeaderEnd() {
    if (OnRequestHeaderEnd) OnRequestHeaderEnd(*this);
}
void THttpCli::TriggerHeaderBegin() {
    if (OnHeaderBegin) OnHeaderBegin(*this);
}
void THttpCli::TriggerHeaderEnd() {
    if (OnHeaderEnd) OnHeaderEnd(*this);
}
void THttpCli::TriggerDocBegin() {
    if (OnDocBegin) OnDocBegin(*this);
}
void THttpCli::TriggerDocData(const char* data, int len) {
    if (OnDocData) OnDocData(*this, data, len);
}
void THttpCli::TriggerDocEnd() {
    if (OnDocEnd) OnDocEnd(*this);
}
