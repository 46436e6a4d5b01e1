#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A draw in 0..n-1 from the program's one random generator.
using TZufallsZug = std::function<int32_t(int32_t n)>;

// The league check constant from which the check value is derived.
constexpr int32_t ligaPruefKonstante = 5193079;

// The 64-character code (0-9, A-F) that carries a best time to the league.
// name: 15 Windows-1252 bytes; zeit: tenths of a second; stufe: level 1..5.
std::string getcode(std::string_view name, int32_t zeit, int32_t stufe, const TZufallsZug& random);

// Splits an answer into lines ended by CR LF, a lone CR or a lone LF; a last line without
// an end counts too; an empty answer gives no lines.
std::vector<std::string> antwortLaden(std::string_view antwort);
