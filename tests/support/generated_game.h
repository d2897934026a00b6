// A game folder made the way real games are, for tests and benchmarks of whole games: many maps of
// varied sizes with ids that leave gaps, each with one of tens of tilesets and events whose pages
// show character sheets, about one map in five with a background image, actors with character
// sheets and a starting party, and every graphic named in the game's code page. The folder's files
// are named in UTF-8, as on a system that unpacked the game, some in another letter case than the
// game's own names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simhost/game_data.h"

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
    // Actors 1, 2, ..., each with a sheet and a character of it; the starting party, actor ids
    // with its leader first (most real games start with none: their events add the members).
    int32_t actors = 8;
    std::vector<int32_t> startingParty;
    // Panorama images, and how many maps in one show one of them.
    int32_t backgrounds = 3;
    int32_t mapsPerBackground = 5;
    // Every event page holds a short list of commands the stand-in host passes over (plain
    // comments and others), as real games' pages do. With mapsPerSetUp above 0, about one map in
    // that many sets its view up with Farview lines in an auto-start event calling common event 1
    // (the shared values), with its own background where it has one; every other of those maps
    // also has a parallel event that turns the view, and each has an event that turns it when the
    // hero presses the action key before it.
    int32_t mapsPerSetUp = 0;
    // Pictures the game shows in its own ways (messages, menus, cut scenes) in "Picture/", which the
    // view never loads: real games hold thousands of them. Each is 128 x 128 of noise, about 17 KB.
    int32_t pictures = 0;
};

// A game of a few maps for tests: 4 tilesets, 6 sheets, no side above 40 cells.
GameShape smallGame(const std::string &codePage, int32_t maps);

struct GeneratedGame {
    std::vector<int32_t> mapIds;              // ascending
    std::vector<int32_t> mapTilesets;         // the tileset id of each map, in the order of mapIds
    std::vector<std::string> graphicNames;    // the graphic's name of tileset 1, 2, ..., in the code page
    std::vector<std::string> graphicFiles;    // and its file, "ChipSet/....png" as written (UTF-8)
    std::vector<std::string> sheetNames;      // of sheet 0, 1, ..., in the code page
    std::vector<std::string> backgroundNames; // of background 0, 1, ..., in the code page
    std::vector<int32_t> mapBackgrounds;      // each map's background, -1: none
    std::vector<simhost::GameActor> actors;   // as the database holds them
    std::vector<int32_t> mapsWithLines;       // the maps that set their view up, ascending
};

// Each character of a sheet is a figure of one colour: that of character `character` (0 to 7) of
// sheet `sheet`.
uint32_t characterColour(int32_t sheet, int32_t character);

// Background images are one colour across each row: that of row `row` of background `background`.
uint32_t backgroundRowColour(int32_t background, int32_t row);

// Writes the game into folder, creating it: Map files, Game.ldb, the map tree Game.lmt (each map
// named by a word of the code page), ChipSet/, CharSet/, Panorama/ and Picture/. The same shape always gives
// the same files. False with a message naming the file that could not be written.
bool writeGeneratedGame(const std::filesystem::path &folder, const GameShape &shape, GeneratedGame &game,
                        std::string *error);

} // namespace gamefile
