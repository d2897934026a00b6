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
    registry.drawingOrder.push_back(placement.get());
    registry.placements.push_back(std::move(placement));
    registry.placementCount = static_cast<int32_t>(registry.placements.size());
    return *registry.placements.back();
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

FvHostImage *lookUpImage(ImageCache &cache, const std::string &fileName) {
    auto cached = cache.find(fileName);
    if (cached != cache.end()) return cached->second;
    FvHostImage *image = createLoadedImage(fileName);
    if (image == nullptr) return nullptr;
    image->option = 1;
    cache.emplace(fileName, image);
    return image;
}

FvHostImage *findImage(const ImageCache &cache, const std::string &fileName) {
    auto cached = cache.find(fileName);
    return cached != cache.end() ? cached->second : nullptr;
}

} // namespace farview
