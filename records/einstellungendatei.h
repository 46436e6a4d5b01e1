#pragma once
#include "einstellungen.h"
#include <array>
#include <cstdint>
#include <span>
#include <string>

// The 136 bytes of the record, little-endian, field by field, padding included.
std::array<uint8_t, TEinstellungen::dateiGroesse> einstellungenKodieren(const TEinstellungen& e);
TEinstellungen einstellungenDekodieren(std::span<const uint8_t, TEinstellungen::dateiGroesse> b);

// The values a run starts with when the file cannot be read: level 1, 8 x 8, 10 mines,
// marks off, every entry with an empty name and no time.
void einstellungenVorgaben(TEinstellungen& e);

// Opens the file for reading and writing, reads the first 136 bytes into e and closes it.
// Returns false, leaving e untouched, when the file is missing, read-only, shorter than
// 136 bytes, unreadable, or holds a level outside 1..6.
bool einstellungenLesen(const std::string& pfad, TEinstellungen& e);

// Writes the 136-byte record so that the old file survives any failure: a temporary file
// in the same directory, flushed and synced, then renamed over the old one.
// Returns 0 on success, else the input/output error code (see iofehler.h).
int einstellungenSchreiben(const std::string& pfad, const TEinstellungen& e);
