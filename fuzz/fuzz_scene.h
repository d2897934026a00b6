// A small game for the targets that render: its files written into the current directory, and
// its maps opened in the stand-in host. The seed writer names the same files, so seeds that
// mention them (a background, a sprite image) find them when the targets run.
#pragma once

#include <cstdint>

namespace fuzz {

// File names as commands give them.
constexpr const char *kSceneTilesetGraphic = "fuzz";       // ChipSet/fuzz.png, 480 x 256
constexpr const char *kSceneSheet = "walker";              // CharSet/walker.png: 2 x 2 blocks
constexpr const char *kSceneBackground = "background.png"; // 360 x 60
constexpr const char *kSceneSprite = "sprite.png";         // 24 x 32, a single picture
constexpr const char *kSceneStrip = "strip.png";           // 8 views of 24 x 32 side by side

struct SceneMap {
    int32_t mapId;
    int32_t width; // tiles
    int32_t height;
};

// A map with every kind of tile (composites, plain, upper, ids with no cell); one cell, the
// narrowest wrapping period; one wider than the vector floor paths take.
constexpr SceneMap kSceneMaps[] = {{1, 6, 5}, {2, 1, 1}, {3, 2100, 1}};
constexpr int32_t kSceneEventCount = 3;

// Writes the tileset graphic, the map files of kSceneMaps, the sheet, the background and the two
// sprite images into the current directory. Aborts when a file cannot be written.
void writeSceneFiles();

// Opens the map in the stand-in host as a game does on entering it: its size, the tileset
// record, the hero on it at cell (1, 1) shown from the sheet, kSceneEventCount events (ids 1 to
// 3: from the sheet, as tile 5, and from a sheet that does not exist), scrolled to the hero.
void enterSceneMap(const SceneMap &map);

} // namespace fuzz
