// A game folder as the stand-in host reads it: its map files and its database, the game's Windows
// code page, and file names matched the way Windows matches them. The plug-in never reads these;
// it reads only the two tile layers of a map file, itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simhost/game_data.h"

namespace simhost {

// ---- The files (game_folder_files.cpp) -------------------------------------------------------
// Both kinds hold a length-prefixed signature text (any text is accepted), then sections: an id, a
// byte length and that many bytes of data, up to an id 0. Ids, lengths and integers are big-endian
// groups of 7 bits, the high bit set on every group but the last, at most 5 groups and 32 bits;
// a negative value is its 32-bit two's complement. Unknown sections and sub-sections are passed
// over by their length.
//
// A file that breaks the rules is refused: false, and *error names fileName and the byte offset
// of the fault. Nothing is read past the end of the bytes given. Texts are kept in the code page.

// Sections 1 tileset, 2 width, 3 height, 0x47 and 0x48 the layers (width * height little-endian
// ids each), 0x51 the events. Sections left out take the defaults of game_data.h.
bool readMapFile(const std::vector<uint8_t> &bytes, const std::string &fileName, GameMap &map, std::string *error);

// Section 0x14, the tileset list. Tables, when present, hold exactly 162, 162 and 144 entries.
bool readDatabase(const std::vector<uint8_t> &bytes, const std::string &fileName, GameDatabase &db, std::string *error);

// The largest game file read: more is refused before it is read into memory. The largest map
// the plug-in can read takes 4 MiB.
constexpr uintmax_t kMaxGameFileBytes = 16u << 20;

// The whole file; false with a message naming it when it is missing, unreadable or too large.
bool readGameFile(const std::filesystem::path &path, std::vector<uint8_t> &bytes, std::string *error);

// ---- Code page and file names (game_folder_names.cpp) ----------------------------------------

// The game's Windows code page by number ("1252", "1251", "932", ...); the default is 1252. An
// unknown one is refused with a message and leaves the code page as it was.
bool setCodePage(const std::string &name, std::string *error);
const std::string &codePage();

// The text converted from the game's code page to UTF-8. A byte the code page does not define
// becomes U+FFFD.
std::string toUtf8(const std::string &text);

// The path to open for a file name the game gives, as Windows would match it: the exact name
// first, then without regard to ASCII letter case in each path component, then both again after
// converting the name from the code page to UTF-8 (where '\' separates components too). Relative
// names are taken from the current directory (or from folder). The name unchanged when no file
// matches.
std::string resolveGameFile(const std::string &name);
std::filesystem::path resolveGameFile(const std::filesystem::path &folder, const std::string &name);

// ---- The game folder (game_folder.cpp) -------------------------------------------------------

struct GameFolder {
    std::filesystem::path folder;       // absolute
    std::filesystem::path databasePath; // empty when the folder holds no database
    GameDatabase database;
};

// Opens a game folder: finds its one database file (any name ending in ".ldb", in any letter
// case) and reads it. A folder without one has no database; two or more are refused, naming them.
bool openGame(const std::filesystem::path &folder, GameFolder &game, std::string *error);

// Enters map mapId in the stand-in host: reads "Map" + the id with at least four digits + ".lmu"
// from the game folder, then sets the host's map size, its tileset record (from the database's
// tileset with the map's tileset number), its events (each shown by its first page; an event with
// no page as tile 0) and the hero's map id. The hero's position and the scroll are left alone, and
// so is the tileset record when the game has no database. On failure the host is unchanged.
//
// The plug-in reads the map file and its images relative to the current directory: make
// game.folder the current directory before it runs.
bool enterMap(const GameFolder &game, int32_t mapId, std::string *error);

} // namespace simhost
