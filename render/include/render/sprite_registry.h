// The sprite registry: what the sprite stage draws. One placement per character standing in the
// view, optional sprite definitions that replace a character's own graphic, and the images loaded
// for sprites. Commands fill it, the sprite stage reads it every frame, the title-screen reset
// empties it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/farview_host.h"

namespace farview {

// Bits of SpriteDefinition::mode.
constexpr uint16_t kSpriteAnimated = 1;    // frames is not 1
constexpr uint16_t kSpriteDirectional = 2; // directions is not 1

struct SpriteDefinition {
    std::string imageName;   // key of the image in imageCache
    uint16_t directions = 1; // views the image holds, side by side
    uint16_t frames = 1;
    uint16_t mode = 0; // 0 single picture, 1 animated, 2 directional, 3 both
    uint16_t offsetX = 0;
    uint16_t offsetY = 0;
    bool followsFacing = true; // the drawn view turns with the character's own facing
};

// Definitions are shared: spriteDefinitions holds the latest one under each key, while a
// placement keeps the one it was made with alive after a later add_sprite replaces it there.
using SpriteDefinitionRef = std::shared_ptr<SpriteDefinition>;

constexpr uint16_t kDefaultSpriteWidth = 24;
constexpr uint16_t kDefaultSpriteHeight = 32;

// Who a placement stands for: the hero, an event of the map the placements were made on, by its id,
// or nobody (an entry of the host's event list that held no character). The host may destroy its
// event list and build it again in the same memory, so a placement keeps the id, never an address:
// every frame finds the character anew.
struct PlacedCharacter {
    enum Kind : uint8_t { nobody, hero, event };
    Kind kind = nobody;
    int32_t eventId = 0; // events only
};
inline PlacedCharacter placedHero() { return {PlacedCharacter::hero, 0}; }
inline PlacedCharacter placedEvent(int32_t id) { return {PlacedCharacter::event, id}; }

struct SpritePlacement {
    PlacedCharacter who;
    FvHostCharacter *character = nullptr; // who, as the host has it this frame; null draws nothing
    SpriteDefinitionRef definition;       // none: the character's own graphic
    uint16_t screenX = 0;                 // written by the sprite stage every frame
    uint16_t screenY = 0;                 // the drawing order's sort key
    uint16_t height = kDefaultSpriteHeight;
    uint16_t width = kDefaultSpriteWidth;
    uint16_t scaledWidth = 0;
    uint16_t scaledHeight = 0;
};

// Keys compare byte by byte, as std::string does.
using ImageCache = std::map<std::string, FvHostImage *>;

// The registry's containers in their order of construction (they are destroyed in reverse).
struct SpriteRegistry {
    ImageCache imageCache; // owns its images; only the title-screen reset destroys them
    std::vector<std::unique_ptr<SpritePlacement>> placements; // in the order they were made
    // The placements in drawing order, far to near, as the last frame's sort left it. Kept apart
    // from placements so that the hero's placement stays first there.
    std::vector<SpritePlacement *> drawingOrder;
    std::map<std::string, SpriteDefinitionRef> spriteDefinitions;
    int32_t placementCount = 0; // always placements.size()
    // The hero's map when the placements were made: their events are that map's.
    int32_t placementsMapId = 0;
};

// Appends a placement drawn last of all until the next frame's sort.
SpritePlacement &appendPlacement(SpriteRegistry &registry, PlacedCharacter who, SpriteDefinitionRef definition = {},
                                 uint16_t width = kDefaultSpriteWidth, uint16_t height = kDefaultSpriteHeight);

// The character a placement stands for as the host has it now: the hero wherever he stands; an
// event only while the hero stands on the placements' map (events of another map are not the host's
// now); null when the host has none.
FvHostCharacter *findPlacedCharacter(const SpriteRegistry &registry, PlacedCharacter who);

// The image stored under fileName; when absent, a new host image is created, the file is loaded
// into it and it is stored, loaded or not (a failed load is the host's to report).
FvHostImage *lookUpImage(ImageCache &cache, const std::string &fileName);
// The image stored under fileName, or null; never loads.
FvHostImage *findImage(const ImageCache &cache, const std::string &fileName);

} // namespace farview
