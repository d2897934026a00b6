// The registry's side of the sprite commands: the characters of a loaded map, added sprites and
// the hero's sprite.
#pragma once

#include <cstdint>
#include <string>

#include "render/sprite_registry.h"

namespace farview {

// Appends a placement for the hero unless he has one, then one for each event of the current map in
// reverse list order, all 24 x 32 with no definition. On another map than the placements were made
// on, the events' placements are dropped first and the hero is drawn from his own sheet again. A
// placement identical to one already there is not added again, so a map's script run again at a
// later visit leaves the view as the first run made it.
void placeCharactersOfLoadedMap(SpriteRegistry &registry);

struct SpriteArguments {
    std::string key;
    std::string imageName;
    int32_t width = 0;
    int32_t height = 0;
    int32_t directions = 0;
    int32_t frames = 0;
    int32_t eventNumber = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
};

// Loads the image into the cache, stores a new definition under the key and appends a placement
// of the current map's event with that number drawn from it; when a placement of that event with
// the same image, size, directions, frames and offsets is there already, the key names its
// definition and nothing is added.
void addSprite(SpriteRegistry &registry, const SpriteArguments &sprite);

// Loads imageName into the cache (unless there already) and gives the hero's placement a strip of
// views from it, or changes the image and views of the one it has. Ignored while the hero has no
// placement.
void setHeroSprite(SpriteRegistry &registry, const std::string &imageName, int32_t width, int32_t height,
                   int32_t directions);

// The registry's part of the title-screen reset: definitions, placements and cached images gone.
void emptySpriteRegistry(SpriteRegistry &registry);

} // namespace farview
