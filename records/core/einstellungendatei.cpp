// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "einstellungendatei.h"
#include "iofehler.h"
#include "stufen.h"
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
static_assert(versatz::bestzeiten + bestzeitGroesse * anzahlFesteStufen ==
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
    // Hands the descriptor over to the caller.
    int abgeben() { return std::exchange(fd_, -1); }

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

// Follows symbolic links at the end of the path, link by link, to the file they name.
// False with errno set on a loop or an unreadable link.
bool linkAufloesen(const std::string& pfad, std::string& ziel) {
    ziel = pfad;
    for (int tiefe = 0; tiefe < 40; ++tiefe) {
        struct stat st {};
        if (::lstat(ziel.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::error_code fehler;
        const std::filesystem::path inhalt = std::filesystem::read_symlink(ziel, fehler);
        if (fehler) {
            errno = fehler.value();
            return false;
        }
        ziel =
            inhalt.is_absolute() ? inhalt.string() : verzeichnisVon(ziel) + "/" + inhalt.string();
    }
    errno = ELOOP;
    return false;
}

// One fixed name beside the target, so that a save killed halfway leaves at most this
// one file behind, which the next save takes over.
std::string temporaerName(const std::string& ziel) {
    const auto schnitt = ziel.rfind('/');
    if (schnitt == std::string::npos) return "." + ziel + ".tmp";
    return ziel.substr(0, schnitt + 1) + "." + ziel.substr(schnitt + 1) + ".tmp";
}

// Opens the temporary file, emptied and locked: a second game saving into the same
// folder at the same moment waits its turn instead of writing into the same file. A
// link, a name shared with another file or another user's file there is not used (it
// could point the write anywhere). anlegen: O_CREAT, or 0 to open only what a killed
// save left. Returns the descriptor, or -1 with errno set.
int temporaerOeffnen(const std::string& name, int anlegen) {
    for (int versuch = 0; versuch < 100; ++versuch) {
        TDatei datei(::open(name.c_str(),
                            O_WRONLY | anlegen | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                            0666));
        if (datei.fd() < 0) return -1;
        if (::flock(datei.fd(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) return -1;
            ::usleep(20000); // the other save takes moments
            continue;
        }
        struct stat offen {};
        struct stat benannt {};
        if (::fstat(datei.fd(), &offen) != 0) return -1;
        if (::lstat(name.c_str(), &benannt) != 0 || benannt.st_dev != offen.st_dev ||
            benannt.st_ino != offen.st_ino)
            continue; // the other save has renamed or removed it meanwhile
        if (!S_ISREG(offen.st_mode) || offen.st_nlink != 1 || offen.st_uid != ::geteuid()) {
            errno = EACCES;
            return -1;
        }
        if (::ftruncate(datei.fd(), 0) != 0) return -1;
        return datei.abgeben();
    }
    errno = EBUSY;
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

// Replaces the target by a new file: written beside it under the temporary name, synced,
// then renamed over it, so that any failure leaves the old file as it was. alt: the
// target's status when it exists, whose permissions the new file takes over.
int ersetzen(const std::string& ziel, const TBytes& bytes, const struct stat* alt,
             const TSchreibAufruf& schreiben) {
    const std::string name = temporaerName(ziel);
    TDatei neu(temporaerOeffnen(name, O_CREAT));
    if (neu.fd() < 0) return ioFehlerAusErrno(errno);
    // Removed while still locked, so that a save waiting for the lock finds the name gone.
    auto aufgeben = [&](int code) {
        ::unlink(name.c_str());
        return code;
    };
    if (alt && ::fchmod(neu.fd(), alt->st_mode & 07777) != 0)
        return aufgeben(ioFehlerAusErrno(errno));
    if (const int code = allesSchreiben(neu.fd(), bytes, schreiben); code != 0)
        return aufgeben(code);
    if (::fsync(neu.fd()) != 0) return aufgeben(ioFehlerAusErrno(errno));
    if (::rename(name.c_str(), ziel.c_str()) != 0) return aufgeben(ioFehlerAusErrno(errno));
    // The rename reaches the disk with the folder; a failure here no longer puts the
    // record at risk.
    TDatei verzeichnis(::open(verzeichnisVon(ziel).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (verzeichnis.fd() >= 0) ::fsync(verzeichnis.fd());
    return 0;
}

// Overwrites the file's first 136 bytes (one write in the normal case) and cuts off what
// lies after them. Should the write fail, the old bytes are put back as they were.
int anOrtSchreiben(int fd, const struct stat& st, const TBytes& bytes,
                   const TSchreibAufruf& schreiben) {
    TBytes altBytes{};
    const ssize_t altLaenge = ::pread(fd, altBytes.data(), altBytes.size(), 0);
    if (::lseek(fd, 0, SEEK_SET) != 0) return ioFehlerAusErrno(errno);
    if (const int code = allesSchreiben(fd, bytes, schreiben); code != 0) {
        if (altLaenge > 0) ::pwrite(fd, altBytes.data(), static_cast<std::size_t>(altLaenge), 0);
        if (st.st_size < static_cast<off_t>(bytes.size())) ::ftruncate(fd, st.st_size);
        ::fsync(fd);
        return code;
    }
    if (st.st_size > static_cast<off_t>(bytes.size()) &&
        ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        return ioFehlerAusErrno(errno);
    if (::fsync(fd) != 0) return ioFehlerAusErrno(errno);
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
    const TStufe& anfaenger = festeStufe(stufeAnfaenger);
    e.stufe = stufeAnfaenger;
    e.feldHoehe = anfaenger.hoehe;
    e.feldBreite = anfaenger.breite;
    e.feldMinen = anfaenger.minen;
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
    if (!istStufe(gelesenerSatz.stufe)) return false;
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

    // An existing file must be one the player may write: a read-only one is refused. Only
    // a regular file is written; a device or pipe under that name is left alone.
    struct stat st {};
    if (::stat(pfad.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return iofehler::zugriffVerweigert;
    const int offen = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(pfad.c_str(), O_RDWR | offen);
    if (fd < 0 && errno == EACCES) fd = ::open(pfad.c_str(), O_WRONLY | offen);
    if (fd < 0 && errno == ENOENT) {
        // A link to a file that does not exist yet stays a link: the file is made where
        // it points.
        struct stat link {};
        if (::lstat(pfad.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            fd = ::open(pfad.c_str(), O_RDWR | O_CREAT | offen, 0666);
    }
    TDatei alt(fd);
    if (alt.fd() < 0 && errno != ENOENT) return ioFehlerAusErrno(errno);
    const bool vorhanden = alt.fd() >= 0;
    if (vorhanden) {
        if (::fstat(alt.fd(), &st) != 0) return ioFehlerAusErrno(errno);
        if (!S_ISREG(st.st_mode)) return iofehler::zugriffVerweigert;
        if (schreibgeschuetzt(st)) return iofehler::zugriffVerweigert;
    }

    // A link is followed: its target is replaced in the target's own folder. Should the
    // link change under our feet, the file opened above is written in place instead.
    std::string ziel;
    if (!linkAufloesen(pfad, ziel)) {
        if (!vorhanden) return ioFehlerAusErrno(errno);
        ziel.clear();
    } else if (vorhanden) {
        struct stat benannt {};
        if (::lstat(ziel.c_str(), &benannt) != 0 || benannt.st_dev != st.st_dev ||
            benannt.st_ino != st.st_ino)
            ziel.clear();
    }

    // A file with further hard links is written in place, so that every name keeps
    // showing the same record; a replacement would leave the other names on the old one.
    if (!ziel.empty() && (!vorhanden || st.st_nlink == 1)) {
        const int code = ersetzen(ziel, bytes, vorhanden ? &st : nullptr, schreiben);
        if (code == 0 || !vorhanden) return code;
    } else if (!ziel.empty()) {
        // What a save killed earlier left beside the file goes now.
        const std::string name = temporaerName(ziel);
        if (TDatei rest(temporaerOeffnen(name, 0)); rest.fd() >= 0) ::unlink(name.c_str());
    }
    // No new file can be made beside it (a folder the player may not write, a full disk),
    // but the file itself can be written.
    return anOrtSchreiben(alt.fd(), st, bytes, schreiben);
}
