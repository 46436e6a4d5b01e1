// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "einstellungen.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The 136 bytes of the record, little-endian, field by field, padding included.
std::array<uint8_t, TEinstellungen::dateiGroesse> einstellungenKodieren(const TEinstellungen& e);
TEinstellungen einstellungenDekodieren(std::span<const uint8_t, TEinstellungen::dateiGroesse> b);

// The values a run starts with when the file cannot be read: level 1, 8 x 8, 10 mines,
// marks off, every entry with an empty name and no time.
void einstellungenVorgaben(TEinstellungen& e);

// Opens the file for reading and writing, reads the first 136 bytes into e and closes it.
// Returns false, leaving e untouched, when the file is missing, read-only, not a regular
// file, shorter than 136 bytes, unreadable, or holds a level outside 1..6. A file without
// any write permission counts as read-only even for a user who may write it anyway.
bool einstellungenLesen(const std::string& pfad, TEinstellungen& e);

// Writes the 136-byte record so that the old bytes survive any failure. As a rule the file
// is replaced: a temporary file of one fixed name in the same folder (".zundrec.dat.tmp"),
// synced, then renamed over it; a save killed halfway leaves at most that one file, which
// the next save takes over. A symbolic link is followed and its target replaced in the
// target's folder. The existing file is overwritten in place instead (136 bytes at
// offset 0, synced, the rest cut off; the old bytes put back should that fail) where it
// has further hard links, or where the replacement fails but the file may be written (a
// folder the player may not write, a full disk). The length byte of nameEingabe is
// written as 0. A read-only file, or anything but a regular file, is refused.
// Returns 0 on success, else the input/output error code (see iofehler.h).
int einstellungenSchreiben(const std::string& pfad, const TEinstellungen& e);

// The call that moves bytes to the file, as write(2) behaves: the count written, or -1
// with errno set. Tests hand in one that runs out of room.
using TSchreibAufruf = std::function<long(int fd, const void* daten, std::size_t anzahl)>;
int einstellungenSchreiben(const std::string& pfad, const TEinstellungen& e,
                           const TSchreibAufruf& schreiben);
