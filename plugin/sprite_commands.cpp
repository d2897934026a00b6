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

// The hero drawn from his own sheet, as a map load first places him.
void giveBackOwnSheet(SpritePlacement &hero) {
    hero.definition.reset();
    hero.width = kDefaultSpriteWidth;
    hero.height = kDefaultSpriteHeight;
}

// The placements belong to the map they were made on: when a command runs on another map, the
// events' placements are dropped, and the hero keeps his placement but not the sprite that map's
// lines gave him. A map's lines then leave the view as they would at its first visit, whichever
// map came before.
void keepPlacementsOfThisMap(SpriteRegistry &registry) {
    const int32_t mapId = currentMapId();
    if (registry.placementsMapId == mapId) return;
    registry.placementsMapId = mapId;
    auto ofAnotherMap = [](const std::unique_ptr<SpritePlacement> &placement) {
        return placement->who.kind != PlacedCharacter::hero;
    };
    auto kept = std::remove_if(registry.placements.begin(), registry.placements.end(), ofAnotherMap);
    registry.placements.erase(kept, registry.placements.end());
    registry.drawingOrder.clear(); // the order of what is left is rebuilt by the next frame's sort
    for (auto &placement : registry.placements) {
        giveBackOwnSheet(*placement);
        registry.drawingOrder.push_back(placement.get());
    }
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

// The hero has one placement, made by the first map load; found as the hero so that sprites added
// before any map load are never taken for him.
SpritePlacement *heroPlacement(SpriteRegistry &registry) {
    for (auto &placement : registry.placements)
        if (placement->who.kind == PlacedCharacter::hero) return placement.get();
    return nullptr;
}

bool sameCharacter(PlacedCharacter a, PlacedCharacter b) {
    return a.kind == b.kind && (a.kind != PlacedCharacter::event || a.eventId == b.eventId);
}

bool sameSprite(const SpriteDefinition *a, const SpriteDefinition *b) {
    if (a == nullptr || b == nullptr) return a == b;
    return a->imageName == b->imageName && a->directions == b->directions && a->frames == b->frames &&
           a->mode == b->mode && a->offsetX == b->offsetX && a->offsetY == b->offsetY &&
           a->followsFacing == b->followsFacing;
}

// A placement that would draw exactly what this one would. A map's script runs again at each visit
// (and to redraw the texture after a tile changed): adding its placements again would stand every
// character twice and grow the list for as long as the game is played.
SpritePlacement *identicalPlacement(SpriteRegistry &registry, PlacedCharacter who, const SpriteDefinition *definition,
                                    uint16_t width, uint16_t height) {
    for (auto &placement : registry.placements)
        if (sameCharacter(placement->who, who) && sameSprite(placement->definition.get(), definition) &&
            placement->width == width && placement->height == height)
            return placement.get();
    return nullptr;
}

} // namespace

void placeCharactersOfLoadedMap(SpriteRegistry &registry) {
    keepPlacementsOfThisMap(registry);
    if (heroPlacement(registry) == nullptr) appendPlacement(registry, placedHero());
    const FvHostEventList *events = currentEventList();
    if (events == nullptr || events->items == nullptr) return;
    for (int32_t i = events->count - 1; i >= 0; --i) {
        const FvHostCharacter *event = events->items[i];
        const PlacedCharacter who = event != nullptr ? placedEvent(event->id) : PlacedCharacter{};
        if (identicalPlacement(registry, who, nullptr, kDefaultSpriteWidth, kDefaultSpriteHeight) == nullptr)
            appendPlacement(registry, who);
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

    keepPlacementsOfThisMap(registry);
    const PlacedCharacter who = placedEvent(sprite.eventNumber);
    const uint16_t width = low16(sprite.width), height = low16(sprite.height);
    if (SpritePlacement *same = identicalPlacement(registry, who, definition.get(), width, height)) {
        registry.spriteDefinitions[sprite.key] = same->definition; // the key names what is drawn
        return;
    }
    registry.spriteDefinitions[sprite.key] = definition;
    SpritePlacement &placement = appendPlacement(registry, who, std::move(definition), width, height);
    placement.character = findPlacedCharacter(registry, placement.who);
}

void setHeroSprite(SpriteRegistry &registry, const std::string &imageName, int32_t width, int32_t height,
                   int32_t directions) {
    keepPlacementsOfThisMap(registry);
    SpritePlacement *hero = heroPlacement(registry);
    if (hero == nullptr) return;
    // Loaded as add_sprite loads it: the sprite stage draws only what the cache holds, and a
    // picture an add_sprite cached already is not loaded again.
    lookUpImage(registry.imageCache, imageName);
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
    registry.placementsMapId = 0;
}

} // namespace farview
