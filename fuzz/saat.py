#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Each seed is small and of one kind, so that the fuzzer starts from every path the parsers
accept. Run it after changing it and commit what it writes:

    python3 fuzz/saat.py
"""
import pathlib
import shutil
import struct

WURZEL = pathlib.Path(__file__).resolve().parent / "corpus"


def schreiben(ziel, name, daten):
    ordner = WURZEL / ziel
    ordner.mkdir(parents=True, exist_ok=True)
    (ordner / name).write_bytes(daten)


# ---- pictures --------------------------------------------------------------------------

def zeilen(breite, hoehe, bits, pixel):
    """Rows padded to 32 bits; pixel(x, y) gives the value of one pixel."""
    schritt = (breite * bits + 31) // 32 * 4
    aus = b""
    for y in range(hoehe):
        if bits < 8:  # packed from the highest bit down
            bitfolge = 0
            for x in range(breite):
                bitfolge = (bitfolge << bits) | pixel(x, y)
            rest = (8 - breite * bits % 8) % 8
            zeile = (bitfolge << rest).to_bytes((breite * bits + 7) // 8, "big")
        else:
            zeile = b"".join(pixel(x, y).to_bytes(bits // 8, "little") for x in range(breite))
        aus += zeile.ljust(schritt, b"\0")
    return aus


def dib(bits, breite, hoehe, daten, kompression=0, palette=(), masken=None, kern=False,
        farben=0, vonOben=False):
    """A packed picture: header, masks, palette, pixels."""
    if kern:
        kopf = struct.pack("<IHHHH", 12, breite, hoehe, 1, bits)
        pal = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in palette)
    else:
        kopf = struct.pack("<IiiHHIIiiII", 40, breite, -hoehe if vonOben else hoehe, 1, bits,
                           kompression, len(daten), 2835, 2835, farben, 0)
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    vorne = kopf + (struct.pack("<III", *masken) if masken else b"") + pal
    return vorne, daten


def bilder():
    grau = [(i * 17, i * 17, i * 17) for i in range(16)]
    bunt = [(i, 255 - i, (i * 7) % 256) for i in range(256)]
    muster = lambda x, y: (x + 2 * y) % 4
    b, h = 5, 3
    rle8 = bytes([3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 0, 4, 7, 0, 0, 0, 1])
    rle4 = bytes([5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 1, 2, 0x67, 0, 1])
    return {
        "bits1": dib(1, b, h, zeilen(b, h, 1, lambda x, y: (x ^ y) & 1), palette=grau[:2]),
        "bits4": dib(4, b, h, zeilen(b, h, 4, muster), palette=grau),
        "bits8_farben4": dib(8, b, h, zeilen(b, h, 8, muster), palette=bunt[:4], farben=4),
        "bits8_voll": dib(8, b, h, zeilen(b, h, 8, lambda x, y: x * 40 + y), palette=bunt),
        "bits8_von_oben": dib(8, b, h, zeilen(b, h, 8, muster), palette=bunt[:4], farben=4,
                              vonOben=True),
        "bits16": dib(16, b, h, zeilen(b, h, 16, lambda x, y: (x * 6) << 10 | y * 9)),
        "bits24": dib(24, b, h, zeilen(b, h, 24, lambda x, y: x * 0x330000 + y * 0x66)),
        "bits32": dib(32, b, h, zeilen(b, h, 32, lambda x, y: x * 0x330000 + y * 0x6600)),
        "bitfelder16_565": dib(16, b, h, zeilen(b, h, 16, lambda x, y: x << 11 | y << 5 | x),
                               kompression=3, masken=(0xF800, 0x07E0, 0x001F)),
        "bitfelder32_10bit": dib(32, b, h, zeilen(b, h, 32, lambda x, y: x << 22 | y << 12 | 5),
                                 kompression=3, masken=(0x3FF00000, 0x000FFC00, 0x000003FF)),
        "rle8": dib(8, 6, 4, rle8, kompression=1, palette=bunt[:8], farben=8),
        "rle4": dib(4, 6, 3, rle4, kompression=2, palette=grau),
        "kern1": dib(1, b, h, zeilen(b, h, 1, lambda x, y: x & 1), palette=grau[:2], kern=True),
        "kern8": dib(8, b, h, zeilen(b, h, 8, muster), palette=bunt, kern=True),
        "kern24": dib(24, b, h, zeilen(b, h, 24, lambda x, y: x * 0x10203 + y), kern=True),
    }


def bildSaat():
    for name, (vorne, daten) in bilder().items():
        schreiben("fuzz_dib", name + ".dib", vorne + daten)
        abstand = 14 + len(vorne)
        datei = b"BM" + struct.pack("<IHHI", abstand + len(daten), 0, 0, abstand)
        schreiben("fuzz_dib", name + ".bmp", datei + vorne + daten)
    # A writer that leaves the pixel offset 0: the pixels follow the palette.
    vorne, daten = bilder()["bits4"]
    schreiben("fuzz_dib", "offset0.bmp",
              b"BM" + struct.pack("<IHHI", 14 + len(vorne + daten), 0, 0, 0) + vorne + daten)


# ---- HTTP ------------------------------------------------------------------------------

ANTWORTEN = {
    "ok": b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 14\r\n\r\n"
          b"Platz 3 von 17\r\nzweite Zeile",
    "nur_lf": b"HTTP/1.0 200 OK\nServer: x\nX-Leer:\n\nab\0cd",
    "nicht_gefunden": b"HTTP/1.0 404 Not Found\r\nX: y\r\n\r\nSeite fehlt",
    "umleitung": b"HTTP/1.0 302 Found\r\nLocation: /anders\r\n\r\nverworfen",
    "html": b"<hTmL><body>\r\nzwei\r\n</body>\r\n",
    "felder": b"HTTP/1.1 206 Partial\r\nSet-Cookie: a=b\r\nContent-Range: bytes 5-9/100\r\n"
              b"Accept-Ranges: bytes\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
              b"Content-Length: 0x10\r\n\r\nrumpf",
    "version2": b"HTTP/2.0 500 Kaputt\r\n\r\nxyz",
}


def gerahmt(daten, mal=0):
    """The header target's framing: (length, repeat, bytes) pieces."""
    aus = b""
    for i in range(0, len(daten), 200):
        stueck = daten[i:i + 200]
        aus += bytes([len(stueck), mal]) + stueck
    return aus


def httpSaat():
    for name, antwort in ANTWORTEN.items():
        schreiben("fuzz_httpheader", name, gerahmt(antwort))
        schreiben("fuzz_httpcli", name, b"\0" + antwort)
    # Every kind of redirect target in a row; only for the parser, the client's peer would
    # be asked to name other hosts.
    schreiben("fuzz_httpheader", "umleitungen",
              gerahmt(b"HTTP/1.1 301 Moved\r\nLocation: http://zweit.example:81/p\r\n"
                      b"Location: anders\r\nLocation: zweit.example/q\r\nLocation: http:/x\r\n"
                      b"Location: http://dritt.example\r\nLocation: /zurueck\r\n\r\n"))
    flut = b"X-Flut: 0123456789\r\n"
    schreiben("fuzz_httpheader", "zeilenflut", gerahmt(b"HTTP/1.0 200 OK\r\n") + gerahmt(flut, 150))
    schreiben("fuzz_httpheader", "lange_zeile",
              gerahmt(b"HTTP/1.0 200 OK\r\nX: ") + gerahmt(b"a" * 200, 255) * 2)
    schreiben("fuzz_httpheader", "nullbyte", gerahmt(b"HTTP/1.0 200 OK\r\nX: a\0b\r\n\r\n"))
    schreiben("fuzz_httpcli", "zeilenflut", b"\x05HTTP/1.0 200 OK\r\n" + flut * 30)
    schreiben("fuzz_httpcli", "lange_zeile", b"\x01HTTP/1.0 200 OK\r\nX: " + b"a" * 3000)
    schreiben("fuzz_httpcli", "rumpfflut", b"\x40HTTP/1.0 200 OK\r\n\r\n" + b"z" * 3000)


# ---- the league answer and the settings file ------------------------------------------

def antwortSaat():
    schreiben("fuzz_antwort", "zwei_zeilen", b"Platz 3 von 17\r\nzweite Zeile\r\n")
    schreiben("fuzz_antwort", "alle_enden", b"eins\rzwei\ndrei\r\n\r\nvier\n\r\rf\xfcnf")
    schreiben("fuzz_antwort", "cp1252", b"Gr\xfc\xdfe \x80 \x81\x8d\x8f\x90\x9d \x9f\xa0\xff\r\n")
    schreiben("fuzz_antwort", "nullbyte", b"\0mit Null\n\0")


def ligaSaat():
    # The first byte picks the mode: a code text, values for a genuine code, a request, a
    # genuine code sent as the game does, names for the feed, the proxy rule, a spool file.
    schreiben("fuzz_liga", "code_text", b"\0" + b"0123456789ABCDEF" * 4)
    schreiben("fuzz_liga", "echter_code", b"\1" + bytes([1, 44, 1, 5, 9]) + b"Zuendler_1     ")
    code = b"3C05A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F60718293A4B5C6D7E"
    schreiben("fuzz_liga", "anfrage_rekord", b"\2GET\n/rekord.php\n" + code + b"\n127.0.0.1")
    schreiben("fuzz_liga", "anfrage_seite", b"\2GET\n/\n\n127.0.0.1")
    schreiben("fuzz_liga", "anfrage_post", b"\2POST\n/rekord.php\n\n127.0.0.1")
    schreiben("fuzz_liga", "echter_code_angefragt",
              b"\3" + bytes([2, 200, 3, 7, 4]) + b"B\xe4r_aus_Ulm   ")
    schreiben("fuzz_liga", "anfrage_weitergeleitet",
              b"\2GET\n/rekord.php\n" + code + b"\n127.0.0.1\n127.0.0.9, [::1]:80")
    schreiben("fuzz_liga", "feed_namen", b"\4Zuendler_1\n\"<&>\\\n\x01\x7f\xc3\xa4\n\nletzter")
    schreiben("fuzz_liga", "weitergeleitet", b"\5\x01127.0.0.7:80, unknown,127.0.0.1 ,::1")
    schreiben("fuzz_liga", "spool", b"\6" + spoolZeile(b"W", 1765280000, code, b"192.0.2.7") +
              spoolZeile(b"D", 1765280001, code, b"2001:db8:1:2::/64") + b"W 1765280002 " + code)


def spoolZeile(marke, zeit, code, kunde):
    # As the league's spool writes a line: its checksum is FNV-1a over what follows the mark.
    rumpf = str(zeit).encode() + b" " + code + b" " + kunde
    h = 0xCBF29CE484222325
    for b in rumpf:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return marke + b" " + rumpf + b" " + ("%016x" % h).encode() + b"\n"


def name15(text):
    return bytes([len(text)]) + text.ljust(15, b" ")[:15]


def einstellungenSaat():
    zeiten = [(b"Anna", 123), (b"B\xe4r", 456), (b"", 0), (b"Zuendler_1", 9990), (b"x" * 15, 1)]
    eintraege = b"".join(name15(n) + struct.pack("<i", z) for n, z in zeiten)
    satz = struct.pack("<iiiiB", 6, 15, 20, 50, 1) + name15(b"") + b"\0\0\0" + eintraege
    assert len(satz) == 136
    schreiben("fuzz_einstellungen", "benutzerdefiniert", satz)
    schreiben("fuzz_einstellungen", "profis", struct.pack("<iiiiB", 3, 16, 30, 99, 0) + satz[17:])


if __name__ == "__main__":
    shutil.rmtree(WURZEL, ignore_errors=True)
    bildSaat()
    httpSaat()
    antwortSaat()
    einstellungenSaat()
    ligaSaat()
