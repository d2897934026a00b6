// A game folder made the way real games are, for tests and benchmarks of whole games: many maps of
// varied sizes with ids that leave gaps, each with one of tens of tilesets and events whose pages
// show character sheets, and every graphic named in the game's code page. The folder's files are
// named in UTF-8, as on a system that unpacked the game, some in another letter case than the
// game's own names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace gamefile {

struct GameShape {
    int32_t maps = 320;
    int32_t tilesets = 30;
    int32_t sheets = 24;
    // The code page the game names its graphics in: "1252" (German and French words), "1251"
    // (Russian) or "950" (Traditional Chinese).
    std::string codePage = "1252";
    uint32_t seed = 1;
    // Map sides: most maps are small, every tenth is large (up to this many cells a side).
    int32_t largestSide = 240;
};

// A game of a few maps for tests: 4 tilesets, 6 sheets, no side above 40 cells.
GameShape smallGame(const std::string &codePage, int32_t maps);

struct GeneratedGame {
    std::vector<int32_t> mapIds;           // ascending
    std::vector<int32_t> mapTilesets;      // the tileset id of each map, in the order of mapIds
    std::vector<std::string> graphicNames; // the graphic's name of tileset 1, 2, ..., in the code page
    std::vector<std::string> graphicFiles; // and its file, "ChipSet/....png" as written (UTF-8)
};

// Writes the game into folder, creating it: Map files, Game.ldb, ChipSet/ and CharSet/. The same
// shape always gives the same files. False with a message naming the file that could not be
// written.
bool writeGeneratedGame(const std::filesystem::path &folder, const GameShape &shape, GeneratedGame &game,
                        std::string *error);

} // namespace gamefile
