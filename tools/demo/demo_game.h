// The built-in demo game: an island with a village, a lake, a canal and fields (map 1, 64 x 64
// cells) and three small maps beside it, its tileset, character sheets, sprite pictures, panorama
// and database, all drawn by code when the game is written, and the script the preview tool runs
// on it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace preview {

// Where the hero starts: on the road south of the village plaza, looking north across it to the
// fountain and its statue.
constexpr int32_t kDemoMapId = 1;
constexpr int32_t kDemoHeroColumn = 30;
constexpr int32_t kDemoHeroRow = 39;
constexpr int32_t kDemoHeroFacing = 0; // up: the view at the default angle looks over his shoulder

// Writes the game into the folder, creating it: Map0001.lmu (the island), Map0002.lmu to
// Map0004.lmu (three small maps beside it: a pond, a farm and a village square), Demo.ldb, ChipSet/Meadow.png,
// CharSet/Hero.png, CharSet/Villagers.png, CharSet/Animals.png, Picture/Hero.png (the hero's four
// views), Picture/Statue.png (eight views), Picture/Oak.png and Panorama/Island.png. Every image
// is an 8-bit paletted PNG. False with a message naming the file that could not be written.
bool writeDemoGame(const std::filesystem::path &folder, std::string *error);

// The demo's script (see preview_script.h for its steps): the hero on the plaza road, the sprites
// added, a still, then a full turn of the view in 24 steps of 15 degrees.
extern const char *const kDemoScript;

} // namespace preview
