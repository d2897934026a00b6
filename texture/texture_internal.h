// Shared by the texture folder's files; not part of what the folder offers.
#pragma once

#include <cstdint>

#include "host/farview_host.h"

namespace farview {

// Whether a rectangle lies wholly inside an image that has pixels.
bool rectangleInside(const FvHostImage &image, int32_t x, int32_t y, int32_t width, int32_t height);

// composeLowerCell on any pair of images: the map texture builder composes into a 16 x 16 block.
void composeLowerCellInto(FvHostImage &target, int32_t targetX, int32_t targetY, const FvHostImage &tileset,
                          uint16_t id);

} // namespace farview
