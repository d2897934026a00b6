// Writes a game's own files (map files and the database) in the layout the stand-in host reads,
// for tests, the demo game and tools. Not part of the plug-in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "simhost/event_commands.h"
#include "simhost/game_data.h"

namespace gamefile {

// An integer as big-endian groups of 7 bits, the high bit set on every group but the last.
// Negative values are written as their 32-bit two's complement (five groups).
std::vector<uint8_t> encodeInteger(int32_t value);

// An event page that shows a sheet (an empty name: the tile sheetIndex), started by the action key,
// with no commands.
simhost::GameEventPage sheetPage(const std::string &sheet, int32_t sheetIndex, int32_t facing, int32_t step);

// A command list as real files hold it: each command's code, indent, text and parameters, then the
// end command (code 0, indent 0, no text, no parameters).
std::vector<uint8_t> encodeCommandList(const std::vector<simhost::EventCommand> &commands);
simhost::CommandListBytes commandList(const std::vector<simhost::EventCommand> &commands);
// A comment of one or more lines: the first with code 12410, each further one with 22410.
std::vector<simhost::EventCommand> comment(const std::vector<std::string> &lines, int32_t indent = 0);
// The commands of several parts, one after the other.
std::vector<simhost::EventCommand> joined(std::initializer_list<std::vector<simhost::EventCommand>> parts);
// A call of common event id.
simhost::EventCommand callCommonEvent(int32_t id, int32_t indent = 0);

// A map file: the signature "FarviewMapUnit", then the sections tileset, width, height, background
// flag (1) and name, lower layer, upper layer, events, and the end mark, leaving out those equal
// to their defaults. Every event page holds its command list and that list's length, as in real
// files (a page without commands gets the end command alone); its bytes are written as they are,
// so that a test can give a broken list. Layers shorter than width * height are filled with 0, longer ones cut. Event
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
// empty, then the common events. The last runs to the end of the file as in real databases (no end mark follows the last
// top-level section; the entries' and the System's sub-sections end with one). A table left empty
// is left out of the file; others are written with exactly 162, 162 and 144 entries, filled with 0
// or cut. Member ids are written as their low 16 bits.
std::vector<uint8_t> encodeDatabase(const simhost::GameDatabase &db);

// Encode and write; false with a message naming the file in *error when the map cannot be
// encoded or the file cannot be written.
bool writeMap(const std::filesystem::path &path, const simhost::GameMap &map, std::string *error);
bool writeDatabase(const std::filesystem::path &path, const simhost::GameDatabase &db, std::string *error);

} // namespace gamefile
