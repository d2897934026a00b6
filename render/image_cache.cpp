#include "render/sprite_registry.h"

#include "host/host.h"

namespace farview {

FvHostImage *lookUpImage(ImageCache &cache, const std::string &fileName) {
    auto cached = cache.find(fileName);
    if (cached != cache.end()) return cached->second;
    FvHostImage *image = host().createImage();
    if (image == nullptr) return nullptr;
    image->loadOption = 1;
    host().loadImageFile(image, fileName.c_str(), 1);
    image->option = 1;
    cache.emplace(fileName, image);
    return image;
}

FvHostImage *findImage(const ImageCache &cache, const std::string &fileName) {
    auto cached = cache.find(fileName);
    return cached != cache.end() ? cached->second : nullptr;
}

} // namespace farview
