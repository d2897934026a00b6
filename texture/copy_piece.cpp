#include "texture/map_texture.h"
#include "texture_internal.h"

namespace farview {

bool rectangleInside(const FvHostImage &image, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (image.pixels == nullptr || width < 0 || height < 0 || x < 0 || y < 0) return false;
    return int64_t{x} + width <= image.width && int64_t{y} + height <= image.height;
}

namespace {
// Both rectangles lie inside their images.
void copyOpaquePixels(FvHostImage &target, int32_t targetX, int32_t targetY, const FvHostImage &source, int32_t sourceX,
                      int32_t sourceY, int32_t width, int32_t height) {
    for (int32_t i = 0; i < height; ++i) {
        const uint8_t *from = source.pixels + size_t(sourceY + i) * size_t(source.width) + sourceX;
        uint8_t *to = target.pixels + size_t(targetY + i) * size_t(target.width) + targetX;
        for (int32_t j = 0; j < width; ++j)
            if (from[j] != 0) to[j] = from[j];
    }
}
} // namespace

void copyPiece(FvHostImage &target, int32_t targetX, int32_t targetY, const FvHostImage &source, int32_t sourceX,
               int32_t sourceY, int32_t width, int32_t height) {
    if (!rectangleInside(target, targetX, targetY, width, height)) return;
    if (!rectangleInside(source, sourceX, sourceY, width, height)) return;
    copyOpaquePixels(target, targetX, targetY, source, sourceX, sourceY, width, height);
}

} // namespace farview
