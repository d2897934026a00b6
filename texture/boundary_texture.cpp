#include <algorithm>
#include <cstring>

#include "host/host.h"
#include "mapdata/map_loading.h"
#include "texture/map_texture.h"
#include "texture_internal.h"

namespace farview {

namespace {
bool cellInsideMap(const MapRecord &record, int32_t column, int32_t row) {
    return mapSizeUsable(record.width, record.height) && column >= 0 && row >= 0 && column < record.width &&
           row < record.height;
}
} // namespace

void setBoundaryTexture(FvHostImage *&boundaryTexture, const MapRecord &record, int32_t column, int32_t row) {
    if (record.mapTexture == nullptr || !cellInsideMap(record, column, row)) return;
    const FvHostImage &mapTexture = *record.mapTexture;
    const int32_t sourceX = column * kTileSize, sourceY = row * kTileSize;
    // The texture may be smaller than the record says when the host refused its size.
    if (!rectangleInside(mapTexture, sourceX, sourceY, kTileSize, kTileSize)) return;

    if (boundaryTexture == nullptr) boundaryTexture = host().createImage();
    if (boundaryTexture == nullptr) return;
    FvHostImage &boundary = *boundaryTexture;
    host().setImageSize(&boundary, kTileSize, kTileSize);
    std::copy(std::begin(mapTexture.palette), std::end(mapTexture.palette), std::begin(boundary.palette));
    host().applyPalette(&boundary);
    // Index 0 of the cell stays index 0, whatever the host left in a freshly sized image.
    if (boundary.pixels == nullptr || boundary.width != kTileSize || boundary.height != kTileSize) return;
    std::memset(boundary.pixels, 0, kTileSize * kTileSize);
    copyPiece(boundary, 0, 0, mapTexture, sourceX, sourceY, kTileSize, kTileSize);
}

} // namespace farview
