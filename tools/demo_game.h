// The built-in demo game: a small meadow map with a pond, a road and trees, its tileset graphic,
// a background image, and a script that walks the view round the hero.
#pragma once

#include <filesystem>
#include <string>

namespace preview {

// Writes ChipSet/Meadow.png, Map0001.lmu and background.png into the folder, which must exist.
bool writeDemoGame(const std::filesystem::path &folder, std::string *error);

// The demo's script (see preview_script.h for its steps).
extern const char *const kDemoScript;

} // namespace preview
