#include "render/sprite_registry.h"

#include <algorithm>

#include "host/host.h"

namespace farview {

void PresentCharacters::refresh() {
    hero_ = hostHero();
    events_.clear();
    const FvHostMapView *mapView = hostMapView();
    const FvHostEventList *events = mapView != nullptr ? mapView->events : nullptr;
    if (events != nullptr && events->items != nullptr)
        events_.assign(events->items, events->items + std::max(events->count, 0));
    std::sort(events_.begin(), events_.end());
}

bool PresentCharacters::contains(const FvHostCharacter *character) const {
    if (character == nullptr) return false;
    return character == hero_ || std::binary_search(events_.begin(), events_.end(), character);
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
