// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp1252.h"
#include "einstellungendatei.h"
#include "iofehler.h"
#include "testverzeichnis.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using TBytes = std::array<uint8_t, TEinstellungen::dateiGroesse>;

TEinstellungen beispiel() {
    TEinstellungen e;
    einstellungenVorgaben(e);
    e.stufe = 3;
    e.feldHoehe = 16;
    e.feldBreite = 30;
    e.feldMinen = 99;
    e.merkerAn = 1;
    e.bestzeit(1).name.setzen("Erika Muster   ");
    e.bestzeit(1).zeit = 124;
    e.bestzeit(5).name.setzen("J\xF6rg           ");
    e.bestzeit(5).zeit = 0x01020304;
    return e;
}

TEST(Kodieren, TheFirstRunFileBeginsWithTheKnownBytes) {
    TEinstellungen e;
    einstellungenVorgaben(e);
    const TBytes b = einstellungenKodieren(e);
    const uint8_t anfang[18] = {1, 0, 0, 0, 8, 0, 0, 0, 8, 0, 0, 0, 10, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < 18; ++i) EXPECT_EQ(b[i], anfang[i]) << "offset " << i;
    for (std::size_t k = 0; k < 5; ++k)
        for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(b[36 + 20 * k + 16 + i], 0);
}

TEST(Kodieren, EveryFieldLiesAtItsOffsetLittleEndian) {
    TEinstellungen e = beispiel();
    e.stufe = -2; // 0xFFFFFFFE
    e.fuellung = {0xA1, 0xA2, 0xA3};
    e.nameEingabe.setzen("abc");
    const TBytes b = einstellungenKodieren(e);
    EXPECT_EQ(b[0], 0xFE);
    EXPECT_EQ(b[3], 0xFF);
    EXPECT_EQ(b[4], 16);
    EXPECT_EQ(b[8], 30);
    EXPECT_EQ(b[12], 99);
    EXPECT_EQ(b[16], 1);
    EXPECT_EQ(b[17], 3);
    EXPECT_EQ(b[18], 'a');
    EXPECT_EQ(b[33], 0xA1);
    EXPECT_EQ(b[35], 0xA3);
    EXPECT_EQ(b[36], 15);
    EXPECT_EQ(b[37], 'E');
    EXPECT_EQ(b[52], 124);
    EXPECT_EQ(b[116], 15);
    EXPECT_EQ(b[117], 'J');
    EXPECT_EQ(b[118], 0xF6);
    EXPECT_EQ(b[132], 0x04);
    EXPECT_EQ(b[133], 0x03);
    EXPECT_EQ(b[134], 0x02);
    EXPECT_EQ(b[135], 0x01);
    EXPECT_EQ(einstellungenDekodieren(b), e);
}

TEST(Dekodieren, KeepsEveryByteSoARecordWritesBackAsItWasRead) {
    TBytes b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 37 + 11);
    EXPECT_EQ(einstellungenKodieren(einstellungenDekodieren(b)), b);
}

TEST(Dekodieren, ALengthByteAbove15ReadsFifteenCharacters) {
    TBytes b = einstellungenKodieren(beispiel());
    b[36] = 200;
    const TEinstellungen e = einstellungenDekodieren(b);
    EXPECT_EQ(e.bestzeit(1).name.laenge, 200);
    EXPECT_EQ(e.bestzeit(1).name.text(), "Erika Muster   ");
}

class Lesen : public ::testing::Test {
protected:
    TTestVerzeichnis verzeichnis;
    std::string datei = verzeichnis.datei("zundrec.dat");
    TEinstellungen satz;
    void SetUp() override {
        satz.stufe = 42; // sentinel: a failed read leaves the record alone
    }
    std::vector<uint8_t> bytes(const TEinstellungen& e) {
        const TBytes b = einstellungenKodieren(e);
        return {b.begin(), b.end()};
    }
};

TEST_F(Lesen, AFullRecordIsReadAndBytesAfterItAreIgnored) {
    std::vector<uint8_t> b = bytes(beispiel());
    ASSERT_TRUE(einstellungenLesen(datei, satz) == false);
    bytesSchreiben(datei, b);
    ASSERT_TRUE(einstellungenLesen(datei, satz));
    EXPECT_EQ(satz, beispiel());

    b.resize(200, 0x55);
    bytesSchreiben(datei, b);
    satz = {};
    ASSERT_TRUE(einstellungenLesen(datei, satz));
    EXPECT_EQ(satz, beispiel());
}

TEST_F(Lesen, MissingShortEmptyOrNotAFileFails) {
    EXPECT_FALSE(einstellungenLesen(datei, satz));
    std::vector<uint8_t> b = bytes(beispiel());
    b.resize(135);
    bytesSchreiben(datei, b);
    EXPECT_FALSE(einstellungenLesen(datei, satz));
    bytesSchreiben(datei, {});
    EXPECT_FALSE(einstellungenLesen(datei, satz));
    EXPECT_FALSE(einstellungenLesen(verzeichnis.pfad().string(), satz));
    ASSERT_EQ(::mkfifo(verzeichnis.datei("pipe").c_str(), 0666), 0);
    EXPECT_FALSE(einstellungenLesen(verzeichnis.datei("pipe"), satz)); // and does not hang
    EXPECT_EQ(satz.stufe, 42);
}

TEST_F(Lesen, AReadOnlyFileFailsLikeAMissingOne) {
    bytesSchreiben(datei, bytes(beispiel()));
    fs::permissions(datei, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(einstellungenLesen(datei, satz));
    EXPECT_EQ(satz.stufe, 42);
}

TEST_F(Lesen, ALevelOutside1To6CountsAsUnreadable) {
    for (int32_t stufe : {0, 7, -1, 1000}) {
        TEinstellungen e = beispiel();
        e.stufe = stufe;
        bytesSchreiben(datei, bytes(e));
        EXPECT_FALSE(einstellungenLesen(datei, satz)) << stufe;
    }
    for (int32_t stufe : {1, 6}) {
        TEinstellungen e = beispiel();
        e.stufe = stufe;
        bytesSchreiben(datei, bytes(e));
        EXPECT_TRUE(einstellungenLesen(datei, satz)) << stufe;
    }
}

TEST(Vorgaben, Anfaenger8x8With10MinesMarksOffAndNoTimes) {
    TEinstellungen e = beispiel();
    e.bestzeit(2).name.setzen("Alt");
    einstellungenVorgaben(e);
    EXPECT_EQ(e.stufe, 1);
    EXPECT_EQ(e.feldHoehe, 8);
    EXPECT_EQ(e.feldBreite, 8);
    EXPECT_EQ(e.feldMinen, 10);
    EXPECT_EQ(e.merkerAn, 0);
    for (const Tbestzeit& b : e.bestzeiten) {
        EXPECT_EQ(b.name.text(), "");
        EXPECT_EQ(b.zeit, 0);
    }
}

class Schreiben : public ::testing::Test {
protected:
    TTestVerzeichnis verzeichnis;
    std::string datei = verzeichnis.datei("zundrec.dat");

    static std::vector<uint8_t> bytes(const TEinstellungen& e) {
        const TBytes b = einstellungenKodieren(e);
        return {b.begin(), b.end()};
    }
    static ino_t inode(const std::string& pfad) {
        struct stat st {};
        return ::stat(pfad.c_str(), &st) == 0 ? st.st_ino : 0;
    }
};

// Runs f in a child process and hands back the text it returns: the child may give up
// root or mount what the test process must not see.
std::string imKind(const std::function<std::string()>& f) {
    int rohr[2];
    if (::pipe(rohr) != 0) return "no pipe";
    const pid_t kind = ::fork();
    if (kind < 0) return "no fork";
    if (kind == 0) {
        ::close(rohr[0]);
        const std::string r = f();
        if (::write(rohr[1], r.data(), r.size()) < 0) ::_exit(1);
        ::_exit(0);
    }
    ::close(rohr[1]);
    std::string r;
    char puffer[256];
    for (ssize_t n; (n = ::read(rohr[0], puffer, sizeof puffer)) > 0;)
        r.append(puffer, static_cast<std::size_t>(n));
    ::close(rohr[0]);
    int status = 0;
    ::waitpid(kind, &status, 0);
    return r;
}

std::string namenListe(const TTestVerzeichnis& v) {
    std::vector<std::string> n = v.namen();
    std::sort(n.begin(), n.end());
    std::string r;
    for (const std::string& s : n) r += s + " ";
    return r;
}

TEST_F(Schreiben, Writes136BytesWithAnEmptyNameSlotAndLeavesNoTemporaryFile) {
    TEinstellungen e = beispiel();
    e.nameEingabe.setzen("Gerade getippt");
    ASSERT_EQ(einstellungenSchreiben(datei, e), 0);
    EXPECT_EQ(e.nameEingabe.laenge, 14); // the caller's record is not changed
    const std::vector<uint8_t> b = bytesLesen(datei);
    ASSERT_EQ(b.size(), 136u);
    EXPECT_EQ(b[17], 0);
    EXPECT_EQ(b[18], 'G'); // the slot's characters stay as they were
    EXPECT_EQ(verzeichnis.namen(), std::vector<std::string>{"zundrec.dat"});

    TEinstellungen zurueck;
    ASSERT_TRUE(einstellungenLesen(datei, zurueck));
    e.nameEingabe.laenge = 0;
    EXPECT_EQ(zurueck, e);
}

TEST_F(Schreiben, ReplacesALongerFileWithExactly136Bytes) {
    bytesSchreiben(datei, std::vector<uint8_t>(200, 0x77));
    ASSERT_EQ(einstellungenSchreiben(datei, beispiel()), 0);
    EXPECT_EQ(bytesLesen(datei).size(), 136u);
}

TEST_F(Schreiben, AReadOnlyFileIsRefusedAndKept) {
    const std::vector<uint8_t> alt(136, 0x33);
    bytesSchreiben(datei, alt);
    fs::permissions(datei, fs::perms::owner_read);
    const int code = einstellungenSchreiben(datei, beispiel());
    EXPECT_EQ(code, iofehler::zugriffVerweigert);
    EXPECT_EQ(mitSchlusspunkt(ioFehlerText(code)), "Dateizugriff verweigert.");
    EXPECT_EQ(bytesLesen(datei), alt);
    EXPECT_EQ(verzeichnis.namen(), std::vector<std::string>{"zundrec.dat"});
}

TEST_F(Schreiben, WhereTheFolderForbidsANewFileAWritableFileIsOverwrittenInPlace) {
    bytesSchreiben(datei, std::vector<uint8_t>(200, 0x77));
    fs::permissions(datei, fs::perms(0666));
    const bool root = ::geteuid() == 0;
    // Root may write any folder, so the save runs as "nobody" then.
    fs::permissions(verzeichnis.pfad(), root ? fs::perms(0755) : fs::perms(0555));
    const ino_t vorher = inode(datei);
    const std::string code = imKind([root, this] {
        if (root) {
            const passwd* niemand = ::getpwnam("nobody");
            if (!niemand || ::setgroups(0, nullptr) != 0 || ::setgid(niemand->pw_gid) != 0 ||
                ::setuid(niemand->pw_uid) != 0)
                return std::string("cannot become nobody");
            // A temporary folder below one closed to others cannot show the case.
            if (::access(datei.c_str(), W_OK) != 0) return std::string("skip");
        }
        return std::to_string(einstellungenSchreiben(datei, beispiel()));
    });
    fs::permissions(verzeichnis.pfad(), fs::perms::owner_all);
    if (code == "skip") GTEST_SKIP() << "nobody cannot reach " << verzeichnis.pfad();
    EXPECT_EQ(code, "0");
    EXPECT_EQ(bytesLesen(datei), bytes(beispiel()));
    EXPECT_EQ(inode(datei), vorher);
    EXPECT_EQ(namenListe(verzeichnis), "zundrec.dat ");
}

TEST_F(Schreiben, LinksAreFollowedAndKept) {
    fs::create_directory(verzeichnis.datei("ziel"));
    const std::string echt = verzeichnis.datei("ziel/echt.dat");
    const std::string zweiter = verzeichnis.datei("ziel/zweiter.dat");
    fs::create_symlink("ziel/echt.dat", datei);

    // A link to nothing yet: the file is made where it points.
    ASSERT_EQ(einstellungenSchreiben(datei, beispiel()), 0);
    EXPECT_TRUE(fs::is_symlink(datei));
    EXPECT_EQ(bytesLesen(echt), bytes(beispiel()));

    // A second hard link sees the new record too.
    fs::create_hard_link(echt, zweiter);
    TEinstellungen e = beispiel();
    e.stufe = 2;
    ASSERT_EQ(einstellungenSchreiben(datei, e), 0);
    EXPECT_TRUE(fs::is_symlink(datei));
    EXPECT_EQ(bytesLesen(echt), bytes(e));
    EXPECT_EQ(bytesLesen(zweiter), bytes(e));
    EXPECT_EQ(fs::hard_link_count(echt), 2u);
    EXPECT_EQ(namenListe(verzeichnis), "ziel zundrec.dat ");
}

TEST_F(Schreiben, ASaveKilledEarlierLeavesNothingAndTheTemporaryNameIsNeverFollowed) {
    const std::string temporaer = verzeichnis.datei(".zundrec.dat.tmp");
    bytesSchreiben(temporaer, std::vector<uint8_t>(300, 0x99)); // left by a killed save
    ASSERT_EQ(einstellungenSchreiben(datei, beispiel()), 0);
    EXPECT_EQ(bytesLesen(datei), bytes(beispiel()));
    EXPECT_EQ(namenListe(verzeichnis), "zundrec.dat ");

    // A link planted under the temporary name would point the write elsewhere.
    const std::string opfer = verzeichnis.datei("opfer");
    bytesSchreiben(opfer, {1, 2, 3});
    fs::create_symlink(opfer, temporaer);
    TEinstellungen e = beispiel();
    e.stufe = 4;
    ASSERT_EQ(einstellungenSchreiben(datei, e), 0);
    EXPECT_EQ(bytesLesen(datei), bytes(e));
    EXPECT_EQ(bytesLesen(opfer), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(Schreiben, OnAFullTmpfsTheOldFileIsOverwrittenInPlaceAndANewOneFailsCleanly) {
    const std::string ergebnis = imKind([this] {
        // A mount of our own, private to the child, in a namespace an ordinary user may
        // make too where the system allows it.
        const int art = ::geteuid() == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS;
        if (::unshare(art) != 0 || ::mount("", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("zundel", verzeichnis.pfad().c_str(), "tmpfs", 0, "size=64k") != 0)
            return std::string("skip");
        bytesSchreiben(datei, std::vector<uint8_t>(136, 0x55));
        {
            const std::vector<uint8_t> seite(4096, 0);
            std::FILE* fuell = std::fopen(verzeichnis.datei("fuell").c_str(), "wb");
            if (!fuell) return std::string("no filler");
            while (std::fwrite(seite.data(), 1, seite.size(), fuell) == seite.size() &&
                   std::fflush(fuell) == 0) {
            }
            std::fclose(fuell);
        }
        const std::string neu = verzeichnis.datei("neu.dat");
        std::string r = std::to_string(einstellungenSchreiben(datei, beispiel()));
        r += bytesLesen(datei) == bytes(beispiel()) ? " written" : " not written";
        r += " " + std::to_string(einstellungenSchreiben(neu, beispiel()));
        r += " | " + namenListe(verzeichnis);
        return r;
    });
    if (ergebnis == "skip") GTEST_SKIP() << "no tmpfs may be mounted here";
    EXPECT_EQ(ergebnis, "0 written 101 | fuell zundrec.dat ");
}

TEST_F(Schreiben, IntoAMissingDirectoryReportsFileNotFound) {
    const int code = einstellungenSchreiben(verzeichnis.datei("fehlt/zundrec.dat"), beispiel());
    EXPECT_EQ(code, iofehler::dateiNichtGefunden);
    EXPECT_EQ(mitSchlusspunkt(ioFehlerText(code)), "Datei nicht gefunden.");
}

TEST_F(Schreiben, OntoAFullDiskReportsItAndLeavesTheOldFileExactlyAsItWas) {
    std::vector<uint8_t> alt(150);
    for (std::size_t i = 0; i < alt.size(); ++i) alt[i] = static_cast<uint8_t>(i);
    bytesSchreiben(datei, alt);

    // Room for 100 bytes, then the disk is full: first as a short write, then as ENOSPC.
    for (bool alsFehler : {false, true}) {
        std::size_t platz = 100;
        auto voll = [&](int fd, const void* daten, std::size_t anzahl) -> long {
            if (platz == 0) {
                if (!alsFehler) return 0;
                errno = ENOSPC;
                return -1;
            }
            const std::size_t n = anzahl < platz ? anzahl : platz;
            platz -= n;
            return static_cast<long>(::write(fd, daten, n));
        };
        const int code = einstellungenSchreiben(datei, beispiel(), voll);
        EXPECT_EQ(code, iofehler::zuWenigSpeicher);
        EXPECT_EQ(mitSchlusspunkt(ioFehlerText(code)), "Zu wenig Speicherplatz.");
        EXPECT_EQ(bytesLesen(datei), alt);
        EXPECT_EQ(verzeichnis.namen(), std::vector<std::string>{"zundrec.dat"});
    }
}

TEST_F(Schreiben, GoesOnAfterShortWritesAndInterruptions) {
    int aufrufe = 0;
    auto stotternd = [&](int fd, const void* daten, std::size_t anzahl) -> long {
        if (++aufrufe % 2 == 1) {
            errno = EINTR;
            return -1;
        }
        return static_cast<long>(::write(fd, daten, anzahl < 7 ? anzahl : 7));
    };
    ASSERT_EQ(einstellungenSchreiben(datei, beispiel(), stotternd), 0);
    TEinstellungen zurueck;
    ASSERT_TRUE(einstellungenLesen(datei, zurueck));
    EXPECT_EQ(zurueck, beispiel());
}

TEST_F(Schreiben, AnyOtherErrorIsAnIoErrorWithItsNumber) {
    auto kaputt = [](int, const void*, std::size_t) -> long {
        errno = EIO;
        return -1;
    };
    const int code = einstellungenSchreiben(datei, beispiel(), kaputt);
    EXPECT_EQ(ioFehlerText(code), "E/A-Fehler 1005");
    EXPECT_FALSE(fs::exists(datei));
    EXPECT_TRUE(verzeichnis.namen().empty());
}

TEST_F(Schreiben, KeepsThePermissionsOfTheFileItReplaces) {
    bytesSchreiben(datei, std::vector<uint8_t>(136, 1));
    fs::permissions(datei, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(einstellungenSchreiben(datei, beispiel()), 0);
    EXPECT_EQ(fs::status(datei).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// The names the file holds are Windows-1252 bytes; the dialogs speak UTF-8.
TEST(Cp1252, ConvertsBothWaysAndMarksWhatHasNoByte) {
    EXPECT_EQ(cp1252NachUtf8("J\xF6rg \x80\x9F"), "Jörg €Ÿ");
    EXPECT_EQ(utf8NachCp1252("Jörg €Ÿ"), "J\xF6rg \x80\x9F");
    EXPECT_EQ(utf8NachCp1252("Ā✓😀"), "???");
    EXPECT_EQ(utf8NachCp1252("a\xC3"), "a?");           // cut short
    EXPECT_EQ(utf8NachCp1252("\xC0\xAF"), "??");        // overlong
    EXPECT_EQ(utf8NachCp1252("\xED\xA0\x80x"), "???x"); // surrogate
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(utf8NachCp1252(cp1252NachUtf8(byte)), byte) << b;
    }
}

} // namespace
