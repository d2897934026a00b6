#include "plugin/sprite_commands.h"

#include <algorithm>
#include <utility>

#include "host/host.h"

namespace farview {

namespace {

// Integer parameters are stored in 16-bit fields by their low 16 bits.
uint16_t low16(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value)); }

int32_t currentMapId() {
    const FvHostCharacter *hero = hostHero();
    return hero != nullptr ? hero->mapId : 0;
}

// Placements whose characters the host has destroyed since they were made (the hero left their
// map, or the map's events were rebuilt) are dropped before new ones are made; all of them when
// they were made on another map. Placements of an event number the map did not have hold no
// character and stay, harmless.
void forgetPlacementsOfGoneCharacters(SpriteRegistry &registry) {
    const int32_t mapId = currentMapId();
    const bool anotherMap = registry.placementsMapId != mapId;
    registry.placementsMapId = mapId;
    registry.presentCharacters.refresh();
    auto gone = [&](const std::unique_ptr<SpritePlacement> &placement) {
        const FvHostCharacter *character = placement->character;
        return anotherMap || (character != nullptr && !registry.presentCharacters.contains(character));
    };
    auto kept = std::remove_if(registry.placements.begin(), registry.placements.end(), gone);
    if (kept == registry.placements.end()) return;
    registry.placements.erase(kept, registry.placements.end());
    registry.drawingOrder.clear(); // the order of what is left is rebuilt by the next frame's sort
    for (auto &placement : registry.placements) registry.drawingOrder.push_back(placement.get());
    registry.placementCount = static_cast<int32_t>(registry.placements.size());
}

void appendPlacement(SpriteRegistry &registry, FvHostCharacter *character, SpriteDefinitionRef definition,
                     uint16_t width, uint16_t height) {
    auto placement = std::make_unique<SpritePlacement>();
    placement->character = character;
    placement->definition = std::move(definition);
    placement->width = width;
    placement->height = height;
    registry.drawingOrder.push_back(placement.get());
    registry.placements.push_back(std::move(placement));
    registry.placementCount = static_cast<int32_t>(registry.placements.size());
}

FvHostEventList *currentEventList() {
    FvHostMapView *mapView = hostMapView();
    return mapView != nullptr ? mapView->events : nullptr;
}

uint16_t spriteMode(uint16_t directions, uint16_t frames) {
    uint16_t mode = 0;
    if (frames != 1) mode |= kSpriteAnimated;
    if (directions != 1) mode |= kSpriteDirectional;
    return mode;
}

SpritePlacement *heroPlacement(SpriteRegistry &registry) {
    // The hero is the first character a map load places; found by its character so that sprites
    // added before any map load are never taken for him.
    const FvHostCharacter *hero = hostHero();
    for (auto &placement : registry.placements)
        if (placement->character == hero && hero != nullptr) return placement.get();
    return nullptr;
}

} // namespace

void placeCharactersOfLoadedMap(SpriteRegistry &registry) {
    forgetPlacementsOfGoneCharacters(registry);
    appendPlacement(registry, hostHero(), nullptr, kDefaultSpriteWidth, kDefaultSpriteHeight);
    const FvHostEventList *events = currentEventList();
    if (events == nullptr || events->items == nullptr) return;
    for (int32_t i = events->count - 1; i >= 0; --i)
        appendPlacement(registry, events->items[i], nullptr, kDefaultSpriteWidth, kDefaultSpriteHeight);
}

void addSprite(SpriteRegistry &registry, const SpriteArguments &sprite) {
    lookUpImage(registry.imageCache, sprite.imageName);
    auto definition = std::make_shared<SpriteDefinition>();
    definition->imageName = sprite.imageName;
    definition->directions = low16(sprite.directions);
    definition->frames = low16(sprite.frames);
    definition->mode = spriteMode(definition->directions, definition->frames);
    definition->offsetX = low16(sprite.offsetX);
    definition->offsetY = low16(sprite.offsetY);
    definition->followsFacing = true;
    registry.spriteDefinitions[sprite.key] = definition;

    FvHostEventList *events = currentEventList();
    FvHostCharacter *event = events != nullptr ? host().eventById(events, sprite.eventNumber) : nullptr;
    forgetPlacementsOfGoneCharacters(registry);
    appendPlacement(registry, event, std::move(definition), low16(sprite.width), low16(sprite.height));
}

void setHeroSprite(SpriteRegistry &registry, const std::string &imageName, int32_t width, int32_t height,
                   int32_t directions) {
    SpritePlacement *hero = heroPlacement(registry);
    if (hero == nullptr) return;
    if (hero->definition != nullptr) {
        hero->definition->imageName = imageName;
        hero->definition->directions = low16(directions);
    } else {
        auto definition = std::make_shared<SpriteDefinition>();
        definition->imageName = imageName;
        definition->directions = low16(directions);
        definition->frames = 1;
        definition->mode = kSpriteDirectional;
        definition->followsFacing = true;
        hero->definition = std::move(definition);
    }
    hero->width = low16(width);
    hero->height = low16(height);
}

void emptySpriteRegistry(SpriteRegistry &registry) {
    registry.spriteDefinitions.clear();
    registry.drawingOrder.clear();
    registry.placements.clear();
    for (auto &entry : registry.imageCache)
        if (entry.second != nullptr) host().destroyImage(entry.second);
    registry.imageCache.clear();
    registry.placementCount = 0;
}

} // namespace farview
