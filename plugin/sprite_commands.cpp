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

// The events' placements belong to the map they were made on: when a command runs on another map,
// they are dropped. The hero's placements stay, with his sprite: he came along.
void keepPlacementsOfThisMap(SpriteRegistry &registry) {
    const int32_t mapId = currentMapId();
    if (registry.placementsMapId == mapId) return;
    registry.placementsMapId = mapId;
    auto ofAnotherMap = [](const std::unique_ptr<SpritePlacement> &placement) {
        return placement->who.kind != PlacedCharacter::hero;
    };
    auto kept = std::remove_if(registry.placements.begin(), registry.placements.end(), ofAnotherMap);
    registry.placements.erase(kept, registry.placements.end());
    registry.heroCarriedOver = !registry.placements.empty();
    registry.drawingOrder.clear(); // the order of what is left is rebuilt by the next frame's sort
    for (auto &placement : registry.placements) registry.drawingOrder.push_back(placement.get());
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

// The hero is the first character a map load places; found as the hero so that sprites added
// before any map load are never taken for him.
SpritePlacement *heroPlacement(SpriteRegistry &registry) {
    for (auto &placement : registry.placements)
        if (placement->who.kind == PlacedCharacter::hero) return placement.get();
    return nullptr;
}

} // namespace

void placeCharactersOfLoadedMap(SpriteRegistry &registry) {
    keepPlacementsOfThisMap(registry);
    if (!registry.heroCarriedOver) appendPlacement(registry, placedHero());
    registry.heroCarriedOver = false;
    const FvHostEventList *events = currentEventList();
    if (events == nullptr || events->items == nullptr) return;
    for (int32_t i = events->count - 1; i >= 0; --i) {
        const FvHostCharacter *event = events->items[i];
        appendPlacement(registry, event != nullptr ? placedEvent(event->id) : PlacedCharacter{});
    }
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

    keepPlacementsOfThisMap(registry);
    SpritePlacement &placement = appendPlacement(registry, placedEvent(sprite.eventNumber), std::move(definition),
                                                 low16(sprite.width), low16(sprite.height));
    placement.character = findPlacedCharacter(registry, placement.who);
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
    registry.heroCarriedOver = false;
}

} // namespace farview
