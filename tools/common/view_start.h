// How a map's view starts when the author gives no script: the hero on the map's centre (or on a
// cell the author chose, which must lie on the map), looking as the game's database has him, and
// the map's own background above the horizon. farview-preview --map and --all-maps start there,
// and so does farview-live on a game folder, so that what one shows the other shows too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/game_folder.h"

namespace tools {

struct MapCell {
    int32_t column = 0;
    int32_t row = 0;
};

// False with a message that gives the map's size when the cell lies outside a map of width x
// height cells, such as "the cell 999,999 lies outside map 3, which is 40 x 30 cells: give a
// column from 0 to 39 and a row from 0 to 29".
bool checkMapCell(MapCell cell, int32_t mapId, int32_t width, int32_t height, std::string *error);

// The hero's look as the game's database gives it (simhost::heroSheet), the same on every map.
struct HeroLook {
    simhost::HeroSheet sheet; // the sheet's name in the game's code page (empty: none), its character
    // Where the look comes from, or why the hero has none, in UTF-8 without a closing full stop:
    // "the hero looks as actor 1 of Game.ldb (the starting party is empty)".
    std::string remark;
    // A fault of the database that cost the hero his look (file and byte); empty when none.
    std::string fault;
};

// A sheet whose name a script line cannot give (a quote or a control character) is left out, and
// the remark says why.
HeroLook heroLook(const simhost::GameFolder &game);

// The remark with the sheet's file and character when there is one: "the hero looks as actor 1 of
// Game.ldb (the starting party is empty): CharSet/Hero.png, character 0" (UTF-8).
std::string describeHeroLook(const HeroLook &look);

struct ViewStart {
    int32_t mapId = 0;
    std::string mapFileName; // "Map0003.lmu"
    MapCell heroCell;
    HeroLook heroLook;
    // The image above the horizon, as @set_background names it, in the game's code page: the
    // author's choice, else the map's own "Panorama/NAME.png"; empty: none.
    std::string background;
    std::string backgroundRemark; // where it comes from, or why there is none (UTF-8)
    bool backgroundChosen = false; // the author's choice, not the map's own
    // When the plug-in reads the map's tiles from a stray byte 0x47: what the author reads (UTF-8).
    std::string strayLayerMarkWarning;
};

// Where the map holds a byte 0x47 before its lower layer, which the plug-in takes for the layer's
// start: the byte, the section it lies in and how the author keeps it out, as in "Map0003.lmu
// holds a byte 0x47 before its lower layer, at byte 40 in its width (71): ..." (UTF-8); empty
// when it holds none.
std::string strayLayerMarkWarning(const simhost::GameMap &map, const std::string &mapFileName);

// The start of map mapId's view, from the map as simhost::enterMap read it and the game's database.
// hero: the author's cell, or none for the map's centre; a cell outside the map is refused (false,
// with checkMapCell's message). background: a file the author chose in place of the map's own, or
// empty. A background that a comment line cannot give (a control character, a file name longer
// than a comment line's text) is left out, and the remark says why.
bool startOfView(const simhost::GameFolder &game, const simhost::GameMap &map, int32_t mapId,
                 std::optional<MapCell> hero, const std::string &background, ViewStart &start, std::string *error);

// The hero on his cell with his look, in the stand-in host (his facing and pose are left alone).
void placeHero(const ViewStart &start);

// The comment lines that make the view once the hero stands: @load_map_to_texture, the background
// when there is one, and @init_mode7 true.
std::vector<std::string> viewCommentLines(const ViewStart &start);
// The @set_background line of the start's background; empty when it has none.
std::string backgroundLine(const ViewStart &start);

// The same start as preview script steps, to follow `enter MAP`: the hero's cell and look, then the
// comment lines, each with a remark saying where it comes from. Lines end with '\n'. With the
// game's lines on, `enter` makes the view (the game's lines, else the map's default view): only
// the hero's steps follow, and the author's background when one was chosen.
std::string viewStartSteps(const ViewStart &start, bool gameLines = false);

} // namespace tools
