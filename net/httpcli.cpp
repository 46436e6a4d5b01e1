// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "httpcli.h"

#include "httpanfrage.h"
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

// The three notices of the client, standing in for its window messages.
const QEvent::Type fertigTyp = static_cast<QEvent::Type>(QEvent::User + 1024 + 1);
const QEvent::Type bereitTyp = static_cast<QEvent::Type>(QEvent::User + 1024 + 2);
const QEvent::Type neuVerbindenTyp = static_cast<QEvent::Type>(QEvent::User + 1024 + 3);

struct TNotiz final : QEvent {
    TNotiz(QEvent::Type typ, uint32_t a) : QEvent(typ), anfrage(a) {}
    uint32_t anfrage;
};

std::string fehlerText(int fehler) {
    return WSocketErrorDesc(fehler) + " (Error #" + std::to_string(fehler) + ")";
}

} // namespace

class THttpNotizen final : public QObject {
public:
    explicit THttpNotizen(THttpCli& c) : cli(c) {}

    bool event(QEvent* e) override {
        auto typ = e->type();
        if (typ != fertigTyp && typ != bereitTyp && typ != neuVerbindenTyp)
            return QObject::event(e);
        uint32_t anfrage = static_cast<TNotiz*>(e)->anfrage;
        // Nothing may escape into the event loop.
        try {
            if (typ == bereitTyp)
                cli.bereitVerarbeiten(anfrage);
            else if (typ == fertigTyp)
                cli.fertigVerarbeiten(anfrage);
            else
                cli.neuVerbindenVerarbeiten(anfrage);
        } catch (...) {
        }
        return true;
    }

    void posten(QEvent::Type typ, uint32_t anfrage) {
        QCoreApplication::postEvent(this, new TNotiz(typ, anfrage));
    }

    THttpCli& cli;
};

THttpCli::THttpCli()
    : socket_(std::make_unique<TWSocket>()), notizen_(std::make_unique<THttpNotizen>(*this)) {
    socket_->OnDnsLookupDone = [this](TWSocket&, uint16_t e) { socketDnsLookupDone(e); };
    socket_->OnSessionConnected = [this](TWSocket&, uint16_t e) { socketSessionConnected(e); };
    socket_->OnDataAvailable = [this](TWSocket&, uint16_t e) { socketDataAvailable(e); };
    socket_->OnDataSent = [this](TWSocket&, uint16_t e) { socketDataSent(e); };
    socketHaken(false);
}

THttpCli::~THttpCli() {
    // The socket goes first: closing it must not reach a half-destroyed client.
    socket_->OnSessionClosed = nullptr;
    socket_->OnDnsLookupDone = nullptr;
    socket_.reset();
}

void THttpCli::SetMultiThreaded(bool wert) {
    multiThreaded_ = wert;
    socket_->MultiThreaded = wert;
}

void THttpCli::setState(THttpState neu) {
    if (state_ == neu) return;
    state_ = neu;
    if (OnStateChange) OnStateChange(*this);
}

void THttpCli::socketHaken(bool umleitung) {
    if (umleitung)
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
    const auto frist = std::chrono::steady_clock::now() + std::chrono::milliseconds(Timeout);
    bool abgelaufen = false;
    QTimer wecker;
    wecker.setTimerType(Qt::PreciseTimer);
    wecker.setSingleShot(true);
    QObject::connect(&wecker, &QTimer::timeout, [&abgelaufen] { abgelaufen = true; });
    wecker.start(std::max(Timeout, 0));

    while (state_ != hsReady) {
        if (abgelaufen || std::chrono::steady_clock::now() >= frist) {
            anfrageBeenden(httpErrTimeout, "HTTP request timed out");
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
    if (abbruchCode_ != 0) throw EHttpException(abbruchText_, abbruchCode_);
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
    socketHaken(false);
    ++anfrageNummer_;
    umleitungen_ = 0;
    abbruchCode_ = 0;
    abbruchText_.clear();
    empfangsLaenge_ = 0;
    locationSeen_ = false;
    setState(hsNotConnected);

    docName_.clear();
    statusCode_ = 0;
    rcvdCount_ = 0;
    sentCount_ = 0;
    kopfZeilen_ = 0;
    kopfZaehler_ = {};
    rumpfBloecke_ = 0;
    contentLength_ = -1;
    contentType_.clear();
    allowedToSend_ = false;
    ziel_.location = URL;

    THttpUrlTeile teile = ParseURL(URL);
    // Credentials from a URL hold for its own request only; the properties stay as set.
    user_ = Username;
    pass_ = Password;
    if (Proxy.empty()) {
        ziel_.pfad = teile.path;
        ziel_.targetHost = teile.host;
        if (!teile.user.empty()) user_ = teile.user;
        if (!teile.pass.empty()) pass_ = teile.pass;
        ziel_.port = teile.port.empty() ? "80" : teile.port;
        ziel_.hostName = teile.host;
    } else {
        ziel_.targetHost = teile.host;
        ziel_.pfad = (teile.proto.empty() ? std::string("http") : teile.proto) + "://" +
                     teile.host + (teile.port.empty() ? "" : ":" + teile.port) + teile.path;
        THttpUrlTeile proxy = ParseURL(Proxy);
        ziel_.hostName = proxy.host;
        ziel_.port = proxy.port.empty() ? ProxyPort : proxy.port;
    }
    if (ziel_.pfad.empty()) ziel_.pfad = "/";

    std::string name = teile.path;
    if (!name.empty() && name != "/") {
        if (name.back() == '/') name.pop_back();
        std::size_t schraeg = name.rfind('/');
        if (schraeg != std::string::npos) name = name.substr(schraeg + 1);
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
    socket_->DnsLookup(ziel_.hostName);
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
        socket_->SetPort(ziel_.port);
        socket_->SetProto("tcp");
        socket_->Connect();
    } catch (const ESocketException&) {
        int fehler = socket_->LastError();
        requestDoneError_ = static_cast<uint16_t>(fehler);
        statusCode_ = 404;
        reasonPhrase_ = "can't connect: " + fehlerText(fehler);
        socket_->Close();
        socketSessionClosed(static_cast<uint16_t>(fehler));
    }
}

void THttpCli::socketSessionConnected(uint16_t error) {
    if (error != 0) {
        requestDoneError_ = error;
        statusCode_ = 404;
        reasonPhrase_ = fehlerText(error);
        socketSessionClosed(error);
        return;
    }
    connected_ = true;
    setState(hsConnected);
    TriggerSessionConnected();
    zeilenHandler_ = TZeilenHandler::kopf;
    setState(hsWaitingHeader);
    try {
        anfrageSenden(requestType_ == hrPost ? "POST" : requestType_ == hrHead ? "HEAD" : "GET");
    } catch (...) {
        Logout();
    }
}

// ---- the request --------------------------------------------------------------------------

void THttpCli::SendCommand(const std::string& cmd) {
    std::string zeile = cmd;
    if (OnCommand) OnCommand(*this, zeile);
    anfrage_ += zeile;
    anfrage_ += "\r\n";
}

void THttpCli::anfrageSenden(const std::string& methode) {
    THttpAnfrage a;
    a.methode = methode;
    a.ziel = ziel_.pfad;
    a.host = ziel_.targetHost;
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

    anfrage_.clear();
    TriggerRequestHeaderBegin();
    for (const std::string& zeile : anfrageZeilen(a)) SendCommand(zeile);
    // A range is asked for once.
    ContentRangeBegin.clear();
    ContentRangeEnd.clear();
    acceptRanges_.clear();
    TriggerRequestHeaderEnd();
    SendCommand("");
    std::string daten;
    daten.swap(anfrage_);
    socket_->Send(daten.data(), static_cast<int>(daten.size()));
}

void THttpCli::socketDataSent(uint16_t) {
    // Request bodies are not sent by this client; nothing waits for the queue to drain.
}

// ---- receiving ----------------------------------------------------------------------------

void THttpCli::socketDataAvailable(uint16_t) {
    int frei = empfangsGroesse - empfangsLaenge_;
    if (frei <= 0) throw EHttpException("HTTP line too long", httpErrLineTooLong);
    int gelesen = socket_->Receive(empfang_ + empfangsLaenge_, frei);
    if (requestType_ == hrNone || gelesen <= 0) return;
    datenVerarbeiten(gelesen);
}

void THttpCli::datenVerarbeiten(int gelesen) {
    empfang_[empfangsLaenge_ + gelesen] = 0;
    empfangsLaenge_ += gelesen;

    if (state_ == hsWaitingBody) {
        std::string block(empfang_, static_cast<std::size_t>(empfangsLaenge_));
        empfangsLaenge_ = 0;
        rumpfBlock(block);
        return;
    }
    kopfVerarbeiten();
}

void THttpCli::kopfVerarbeiten() {
    TKopfTeil teil = kopfZerlegen(std::string_view(empfang_, empfangsLaenge_), kopfZaehler_);
    // Each line leaves the buffer before it is handled: a line whose handling fails must not
    // come round again with the next bytes. What was found moves forward as lines leave.
    std::size_t entfernt = 0;
    for (const TPufferZeile& zeile : teil.zeilen) {
        std::string text(zeile.text.data() - entfernt, zeile.text.size());
        vorneEntfernen(zeile.ende - entfernt);
        entfernt = zeile.ende;
        kopfZeile(text);
    }
    vorneEntfernen(teil.verbraucht - entfernt);
    switch (teil.stand) {
    case TKopfStand::unvollstaendig:
        return;
    case TKopfStand::vollstaendig:
        kopfBeginn();
        kopfEnde();
        return;
    case TKopfStand::ohneKopf:
        kopfBeginn();
        ohneKopf();
        return;
    case TKopfStand::zuVieleZeilen:
        anfrageBeenden(httpErrTooManyHeaderLines, "HTTP header has too many lines");
        return;
    case TKopfStand::zuVieleBytes:
        anfrageBeenden(httpErrHeaderTooLarge, "HTTP header too large");
        return;
    }
}

void THttpCli::vorneEntfernen(std::size_t anzahl) {
    std::size_t rest = static_cast<std::size_t>(empfangsLaenge_) - anzahl;
    std::memmove(empfang_, empfang_ + anzahl, rest);
    empfangsLaenge_ = static_cast<int>(rest);
    empfang_[empfangsLaenge_] = 0;
}

void THttpCli::kopfBeginn() {
    if (kopfZeilen_ == 0) TriggerHeaderBegin();
    ++kopfZeilen_;
}

void THttpCli::kopfZeile(std::string_view zeile) {
    kopfBeginn();
    rcvdHeader_.emplace_back(zeile);
    TKopfFeld feld = kopfFeldDeuten(zeile);
    if (feld.art == TKopfFeld::status) {
        statusCode_ = httpZahl(feld.code);
        reasonPhrase_ = feld.grund;
    } else if (feld.art == TKopfFeld::feld) {
        const std::string& name = feld.name;
        std::string wert(feld.wert);
        if (name == "location") {
            locationSeen_ = true;
            ziel_ = umleitungsZiel(ziel_, wert);
        } else if (name == "content-length") {
            contentLength_ = httpZahl(wert);
        } else if (name == "content-range") {
            std::size_t strich = wert.find('-');
            std::size_t bruch = wert.find('/');
            if (strich != std::string::npos && strich > 6)
                ContentRangeBegin = wert.substr(6, strich - 6);
            else
                ContentRangeBegin.clear();
            std::size_t nach = strich == std::string::npos ? 0 : strich + 1;
            ContentRangeEnd = bruch != std::string::npos && bruch > nach
                                  ? wert.substr(nach, bruch - nach)
                                  : std::string();
        } else if (name == "accept-ranges") {
            acceptRanges_ = wert;
        } else if (name == "content-type") {
            contentType_ = kleinSchreiben(wert);
        } else if (name == "www-authenticate") {
            wwwAuthInfos_.push_back(wert);
        } else if (name == "set-cookie") {
            bool annehmen = true;
            TriggerCookie(wert, annehmen);
        }
    }
    if (OnHeaderData) OnHeaderData(*this);
    if (statusCode_ >= 400) socket_->Close();
}

void THttpCli::kopfEnde() {
    if (locationSeen_) {
        TriggerHeaderEnd();
        empfangsLaenge_ = 0;
        kopfZeilen_ = 0;
        kopfZaehler_ = {};
        rumpfBloecke_ = 0;
        socketHaken(true);
        socket_->Close();
        return;
    }
    if (docName_.size() >= 4 && kleinSchreiben(docName_.substr(docName_.size() - 4)) == ".exe" &&
        contentType_ == "text/html") {
        std::size_t punkt = docName_.rfind('.');
        docName_ =
            punkt == std::string::npos ? docName_ + ".htm" : docName_.substr(0, punkt + 1) + "htm";
    }
    setState(hsWaitingBody);
    zeilenHandler_ = TZeilenHandler::rumpf;
    TriggerHeaderEnd();
    if (empfangsLaenge_ > 0) {
        std::string rest(empfang_, static_cast<std::size_t>(empfangsLaenge_));
        empfangsLaenge_ = 0;
        rumpfBlock(rest);
    }
}

// The server sent no header: the buffer starts with the "<html>" line.
void THttpCli::ohneKopf() {
    if (contentType_.empty()) contentType_ = "text/html";
    setState(hsWaitingBody);
    zeilenHandler_ = TZeilenHandler::rumpf;
    TriggerHeaderEnd();
    // The lines of this same pass reach the body one by one, without their ends; what
    // follows them comes whole with the next bytes.
    while (auto zeile = zeileFinden(std::string_view(empfang_, empfangsLaenge_))) {
        std::string text(zeile->text);
        vorneEntfernen(zeile->ende);
        rumpfBlock(text);
    }
}

void THttpCli::rumpfBlock(std::string_view block) {
    if (rumpfBloecke_ == 0) TriggerDocBegin();
    ++rumpfBloecke_;
    rcvdCount_ += static_cast<int64_t>(block.size());
    if (ReceiveStream) ReceiveStream->Write(block.data(), block.size());
    TriggerDocData(block.data(), static_cast<int>(block.size()));
}

// ---- redirects ----------------------------------------------------------------------------

void THttpCli::LocationSessionClosed(uint16_t) {
    connected_ = false;
    locationSeen_ = false;
    socketHaken(false);
    if (++umleitungen_ > MaxRedirects) {
        abbruchCode_ = httpErrTooManyRedirects;
        abbruchText_ = "HTTP too many redirects";
        bereitNotiz();
        return;
    }
    if (OnLocationChange) OnLocationChange(*this);
    notizen_->posten(neuVerbindenTyp, anfrageNummer_);
}

void THttpCli::neuVerbindenVerarbeiten(uint32_t anfrage) {
    if (anfrage != anfrageNummer_ || state_ == hsReady) return;
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
    if (rumpfBloecke_ > 0) TriggerDocEnd();
    bereitNotiz();
}

void THttpCli::bereitNotiz() {
    notizen_->posten(bereitTyp, anfrageNummer_);
}

void THttpCli::bereitVerarbeiten(uint32_t anfrage) {
    if (anfrage != anfrageNummer_ || state_ == hsReady) return;
    setState(hsReady);
    notizen_->posten(fertigTyp, anfrage);
}

void THttpCli::fertigVerarbeiten(uint32_t anfrage) {
    if (anfrage != anfrageNummer_) return;
    if (OnRequestDone) OnRequestDone(*this, requestType_, requestDoneError_);
}

void THttpCli::anfrageBeenden(uint16_t fehlerCode, const std::string& text) {
    abbruchCode_ = fehlerCode;
    abbruchText_ = text;
    // The socket's own close and lookup answers are not wanted any more.
    socket_->OnSessionClosed = nullptr;
    socket_->OnDnsLookupDone = nullptr;
    try {
        socket_->Abort();
    } catch (...) {
    }
    socket_->OnDnsLookupDone = [this](TWSocket&, uint16_t e) { socketDnsLookupDone(e); };
    socketHaken(false);
    connected_ = false;
    setState(hsReady);
    notizen_->posten(fertigTyp, anfrageNummer_);
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
