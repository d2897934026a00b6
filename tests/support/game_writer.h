// Writes a game's own files (map files and the database) in the layout the stand-in host reads,
// for tests, the demo game and tools. Not part of the plug-in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simhost/game_data.h"

namespace gamefile {

// An integer as big-endian groups of 7 bits, the high bit set on every group but the last.
// Negative values are written as their 32-bit two's complement (five groups).
std::vector<uint8_t> encodeInteger(int32_t value);

// A map file: the signature "FarviewMapUnit", then the sections tileset, width, height, background
// flag (1) and name, lower layer, upper layer, events, and the end mark, leaving out those equal
// to their defaults. Layers shorter than width * height are filled with 0, longer ones cut. Event
// pages are numbered from 1. The plug-in finds the lower layer by the first byte 0x47 in the file,
// so a map that would put one before it cannot be written: a tileset number, width or height whose
// low 7 bits are 71 (71, 199, 327, ...), or a background name that holds the byte 0x47 ('G') or is
// 71, 199, ... bytes long. Nor can a negative size or one of more than 1048575 cells (the plug-in
// skips at most three length bytes). Such a map encodes to an empty vector; mapEncodingProblem
// says why.
std::vector<uint8_t> encodeMap(const simhost::GameMap &map);
std::string mapEncodingProblem(const simhost::GameMap &map); // empty when the map can be written

// The database: the signature "FarviewDatabase", then the actor list, the tileset list and the
// System with the starting party (its size and its members' ids, 16 bits each), each left out when
// empty. The last runs to the end of the file as in real databases (no end mark follows the last
// top-level section; the entries' and the System's sub-sections end with one). A table left empty
// is left out of the file; others are written with exactly 162, 162 and 144 entries, filled with 0
// or cut. Member ids are written as their low 16 bits.
std::vector<uint8_t> encodeDatabase(const simhost::GameDatabase &db);

// Encode and write; false with a message naming the file in *error when the map cannot be
// encoded or the file cannot be written.
bool writeMap(const std::filesystem::path &path, const simhost::GameMap &map, std::string *error);
bool writeDatabase(const std::filesystem::path &path, const simhost::GameDatabase &db, std::string *error);

} // namespace gamefile
