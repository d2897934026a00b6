// The game's map tree: the one file beside the database whose name ends in ".lmt", where the game's
// editor keeps the title and the names of the maps. The stand-in host reads only the names, to list
// a game's maps by number and name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simhost/game_folder.h"

namespace simhost {

struct MapTreeEntry {
    int32_t id = 0;
    std::string name; // in the game's code page; empty when the tree gives none
};

struct MapTree {
    std::string title;              // entry 0 names the game itself
    std::vector<MapTreeEntry> maps; // every other entry, in the file's order
};

// The file holds a length-prefixed header text (any text is accepted), the number of entries, then
// each entry: its id and sub-sections (an id, a byte length, that many bytes) ending with an id 0;
// sub-section 0x01 is the name. Numbers are encoded as in the map files (game_folder.h). What
// follows the entries is not read. A file that breaks these rules is refused: false, and *error
// names fileName and the byte offset of the fault.
bool readMapTree(const std::vector<uint8_t> &bytes, const std::string &fileName, MapTree &tree, std::string *error);

namespace sections {
constexpr uint32_t kMapTreeName = 0x01;
}

// The game's maps as a person picks one: every map with a map file, in ascending order, named as
// the tree names it. A folder without a tree lists its maps without names; a tree that cannot be
// read lists them so too, with the reason in *problem (left empty otherwise), as does a folder with
// more than one tree.
struct GameMapList {
    std::string title;
    std::vector<MapTreeEntry> maps;
};
GameMapList listGameMaps(const GameFolder &game, std::string *problem);

} // namespace simhost
