#include "einstellungendatei.h"
#include "iofehler.h"
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TBytes = std::array<uint8_t, TEinstellungen::dateiGroesse>;

// Where each field of the record lies in the file.
namespace versatz {
constexpr std::size_t stufe = 0;
constexpr std::size_t feldHoehe = 4;
constexpr std::size_t feldBreite = 8;
constexpr std::size_t feldMinen = 12;
constexpr std::size_t merkerAn = 16;
constexpr std::size_t nameEingabe = 17;
constexpr std::size_t fuellung = 33;
constexpr std::size_t bestzeiten = 36;
} // namespace versatz

// One best-time entry: the name, then the time.
constexpr std::size_t bestzeitGroesse = 20;
constexpr std::size_t versatzName = 0;
constexpr std::size_t versatzZeit = 16;

static_assert(versatz::fuellung == versatz::nameEingabe + 1 + TKurzString15::kapazitaet);
static_assert(versatz::bestzeiten ==
              versatz::fuellung + std::tuple_size_v<decltype(TEinstellungen::fuellung)>);
static_assert(versatzZeit == versatzName + 1 + TKurzString15::kapazitaet);
static_assert(versatz::bestzeiten + bestzeitGroesse * TEinstellungen::anzahlStufen ==
              TEinstellungen::dateiGroesse);

void int32Schreiben(TBytes& b, std::size_t o, int32_t wert) {
    const auto u = static_cast<uint32_t>(wert);
    b[o] = static_cast<uint8_t>(u);
    b[o + 1] = static_cast<uint8_t>(u >> 8);
    b[o + 2] = static_cast<uint8_t>(u >> 16);
    b[o + 3] = static_cast<uint8_t>(u >> 24);
}

int32_t int32Lesen(std::span<const uint8_t, TEinstellungen::dateiGroesse> b, std::size_t o) {
    const uint32_t u = static_cast<uint32_t>(b[o]) | static_cast<uint32_t>(b[o + 1]) << 8 |
                       static_cast<uint32_t>(b[o + 2]) << 16 |
                       static_cast<uint32_t>(b[o + 3]) << 24;
    return static_cast<int32_t>(u);
}

void kurzStringSchreiben(TBytes& b, std::size_t o, const TKurzString15& s) {
    b[o] = s.laenge;
    for (std::size_t i = 0; i < TKurzString15::kapazitaet; ++i) b[o + 1 + i] = s.zeichen[i];
}

TKurzString15 kurzStringLesen(std::span<const uint8_t, TEinstellungen::dateiGroesse> b,
                              std::size_t o) {
    TKurzString15 s;
    s.laenge = b[o];
    for (std::size_t i = 0; i < TKurzString15::kapazitaet; ++i) s.zeichen[i] = b[o + 1 + i];
    return s;
}

// A file that no one may write counts as read-only, as the read-only attribute would,
// also for a user the system lets write anything.
bool schreibgeschuetzt(const struct stat& st) {
    return (st.st_mode & 0222) == 0;
}

// Closes on every way out.
class TDatei {
public:
    explicit TDatei(int fd) : fd_(fd) {}
    ~TDatei() {
        if (fd_ >= 0) ::close(fd_);
    }
    TDatei(const TDatei&) = delete;
    TDatei& operator=(const TDatei&) = delete;
    int fd() const { return fd_; }
    // Closes now and reports what close said (0 or an errno value).
    int schliessen() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

long systemSchreiben(int fd, const void* daten, std::size_t anzahl) {
    return static_cast<long>(::write(fd, daten, anzahl));
}

std::string verzeichnisVon(const std::string& pfad) {
    const auto schnitt = pfad.rfind('/');
    if (schnitt == std::string::npos) return ".";
    if (schnitt == 0) return "/";
    return pfad.substr(0, schnitt);
}

// A name next to the target that no one else uses: creates it exclusively, retrying on
// a clash. Returns the descriptor, or -1 with errno set.
int temporaerAnlegen(const std::string& pfad, std::string& name) {
    static std::atomic<uint32_t> zaehler{0};
    const auto schnitt = pfad.rfind('/');
    const std::string kopf = schnitt == std::string::npos ? "" : pfad.substr(0, schnitt + 1);
    const std::string rumpf = schnitt == std::string::npos ? pfad : pfad.substr(schnitt + 1);
    const auto takt =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int versuch = 0; versuch < 100; ++versuch) {
        const uint64_t kennung = takt ^ (static_cast<uint64_t>(::getpid()) << 32) ^
                                 (zaehler.fetch_add(1) * 0x9E3779B97F4A7C15ull);
        static constexpr char ziffern[] = "0123456789abcdefghijklmnopqrstuvwxyz";
        std::string anhang;
        uint64_t rest = kennung;
        for (int i = 0; i < 8; ++i) {
            anhang += ziffern[rest % 36];
            rest /= 36;
        }
        name = kopf + "." + rumpf + "." + anhang;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes all bytes, going on after short writes and interruptions. 0 or an error code.
int allesSchreiben(int fd, const TBytes& bytes, const TSchreibAufruf& schreiben) {
    std::size_t geschrieben = 0;
    while (geschrieben < bytes.size()) {
        const long n = schreiben(fd, bytes.data() + geschrieben, bytes.size() - geschrieben);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ioFehlerAusErrno(errno);
        }
        if (n == 0) return iofehler::zuWenigSpeicher;
        geschrieben += static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

std::array<uint8_t, TEinstellungen::dateiGroesse> einstellungenKodieren(const TEinstellungen& e) {
    TBytes b{};
    int32Schreiben(b, versatz::stufe, e.stufe);
    int32Schreiben(b, versatz::feldHoehe, e.feldHoehe);
    int32Schreiben(b, versatz::feldBreite, e.feldBreite);
    int32Schreiben(b, versatz::feldMinen, e.feldMinen);
    b[versatz::merkerAn] = e.merkerAn;
    kurzStringSchreiben(b, versatz::nameEingabe, e.nameEingabe);
    for (std::size_t i = 0; i < e.fuellung.size(); ++i) b[versatz::fuellung + i] = e.fuellung[i];
    for (std::size_t k = 0; k < e.bestzeiten.size(); ++k) {
        const std::size_t o = versatz::bestzeiten + bestzeitGroesse * k;
        kurzStringSchreiben(b, o + versatzName, e.bestzeiten[k].name);
        int32Schreiben(b, o + versatzZeit, e.bestzeiten[k].zeit);
    }
    return b;
}

TEinstellungen einstellungenDekodieren(std::span<const uint8_t, TEinstellungen::dateiGroesse> b) {
    TEinstellungen e;
    e.stufe = int32Lesen(b, versatz::stufe);
    e.feldHoehe = int32Lesen(b, versatz::feldHoehe);
    e.feldBreite = int32Lesen(b, versatz::feldBreite);
    e.feldMinen = int32Lesen(b, versatz::feldMinen);
    e.merkerAn = b[versatz::merkerAn];
    e.nameEingabe = kurzStringLesen(b, versatz::nameEingabe);
    for (std::size_t i = 0; i < e.fuellung.size(); ++i) e.fuellung[i] = b[versatz::fuellung + i];
    for (std::size_t k = 0; k < e.bestzeiten.size(); ++k) {
        const std::size_t o = versatz::bestzeiten + bestzeitGroesse * k;
        e.bestzeiten[k].name = kurzStringLesen(b, o + versatzName);
        e.bestzeiten[k].zeit = int32Lesen(b, o + versatzZeit);
    }
    return e;
}

void einstellungenVorgaben(TEinstellungen& e) {
    e.stufe = 1;
    e.feldHoehe = 8;
    e.feldBreite = 8;
    e.feldMinen = 10;
    e.merkerAn = 0;
    for (Tbestzeit& b : e.bestzeiten) {
        b.name.laenge = 0;
        b.zeit = 0;
    }
}

bool einstellungenLesen(const std::string& pfad, TEinstellungen& e) {
    // Write access is asked for so that a read-only file fails like a missing one;
    // O_NONBLOCK keeps a pipe or device under that name from stalling the start.
    TDatei datei(::open(pfad.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (datei.fd() < 0) return false;
    struct stat st {};
    if (::fstat(datei.fd(), &st) != 0 || !S_ISREG(st.st_mode) || schreibgeschuetzt(st))
        return false;
    TBytes bytes{};
    std::size_t gelesen = 0;
    while (gelesen < bytes.size()) {
        const ssize_t n = ::read(datei.fd(), bytes.data() + gelesen, bytes.size() - gelesen);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false; // shorter than one record
        gelesen += static_cast<std::size_t>(n);
    }
    const TEinstellungen gelesenerSatz = einstellungenDekodieren(bytes);
    // Only a damaged file holds another level; it counts as unreadable.
    if (gelesenerSatz.stufe < 1 || gelesenerSatz.stufe > 6) return false;
    e = gelesenerSatz;
    return true;
}

int einstellungenSchreiben(const std::string& pfad, const TEinstellungen& e) {
    return einstellungenSchreiben(pfad, e, systemSchreiben);
}

int einstellungenSchreiben(const std::string& pfad, const TEinstellungen& e,
                           const TSchreibAufruf& schreiben) {
    TBytes bytes = einstellungenKodieren(e);
    bytes[versatz::nameEingabe] = 0;

    // The old file is replaced, not written into, so it is asked first whether it may be
    // written at all: a read-only one is refused as before.
    mode_t modus = 0;
    bool vorhanden = false;
    {
        TDatei alt(::open(pfad.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (alt.fd() < 0) {
            if (errno != ENOENT) return ioFehlerAusErrno(errno);
        } else {
            struct stat st {};
            if (::fstat(alt.fd(), &st) != 0) return ioFehlerAusErrno(errno);
            if (schreibgeschuetzt(st)) return iofehler::zugriffVerweigert;
            vorhanden = S_ISREG(st.st_mode);
            modus = st.st_mode & 07777;
        }
    }

    std::string temporaer;
    TDatei neu(temporaerAnlegen(pfad, temporaer));
    if (neu.fd() < 0) return ioFehlerAusErrno(errno);
    auto aufgeben = [&](int code) {
        neu.schliessen();
        ::unlink(temporaer.c_str());
        return code;
    };
    if (vorhanden && ::fchmod(neu.fd(), modus) != 0) return aufgeben(ioFehlerAusErrno(errno));
    if (const int code = allesSchreiben(neu.fd(), bytes, schreiben); code != 0)
        return aufgeben(code);
    if (::fsync(neu.fd()) != 0) return aufgeben(ioFehlerAusErrno(errno));
    if (const int err = neu.schliessen(); err != 0) {
        ::unlink(temporaer.c_str());
        return ioFehlerAusErrno(err);
    }
    if (::rename(temporaer.c_str(), pfad.c_str()) != 0) {
        const int err = errno;
        ::unlink(temporaer.c_str());
        return ioFehlerAusErrno(err);
    }
    // The rename itself reaches the disk with the directory; a failure here no longer
    // puts the record at risk.
    TDatei verzeichnis(::open(verzeichnisVon(pfad).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (verzeichnis.fd() >= 0) ::fsync(verzeichnis.fd());
    return 0;
}
