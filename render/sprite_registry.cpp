#include "render/sprite_registry.h"

#include <utility>

#include "host/host.h"

namespace farview {

SpritePlacement &appendPlacement(SpriteRegistry &registry, PlacedCharacter who, SpriteDefinitionRef definition,
                                 uint16_t width, uint16_t height) {
    auto placement = std::make_unique<SpritePlacement>();
    placement->who = who;
    placement->definition = std::move(definition);
    placement->width = width;
    placement->height = height;
    SpritePlacement &added = *placement;
    registry.placements.push_back(std::move(placement));
    try {
        registry.drawingOrder.push_back(&added);
    } catch (...) {
        registry.placements.pop_back(); // a failed allocation leaves both lists as they were
        throw;
    }
    registry.placementCount = static_cast<int32_t>(registry.placements.size());
    return added;
}

FvHostCharacter *findPlacedCharacter(const SpriteRegistry &registry, PlacedCharacter who) {
    FvHostCharacter *hero = hostHero();
    if (who.kind == PlacedCharacter::hero) return hero;
    if (who.kind != PlacedCharacter::event || hero == nullptr || hero->mapId != registry.placementsMapId)
        return nullptr;
    FvHostMapView *mapView = hostMapView();
    FvHostEventList *events = mapView != nullptr ? mapView->events : nullptr;
    return events != nullptr ? host().eventById(events, who.eventId) : nullptr;
}

// The entry is made before the image, so that a failed allocation cannot leave an image that the
// cache does not hold.
FvHostImage *lookUpImage(ImageCache &cache, const std::string &fileName) {
    const auto [entry, added] = cache.try_emplace(fileName, nullptr);
    if (!added) return entry->second;
    FvHostImage *image = createLoadedImage(fileName);
    if (image == nullptr) {
        cache.erase(entry);
        return nullptr;
    }
    image->option = 1;
    entry->second = image;
    return image;
}

FvHostImage *findImage(const ImageCache &cache, const std::string &fileName) {
    auto cached = cache.find(fileName);
    return cached != cache.end() ? cached->second : nullptr;
}

} // namespace farview
