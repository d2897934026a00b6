#include "mapdata/tileset_layout.h"

namespace farview {

namespace {
bool cellInBand(int32_t firstColumn, int32_t d, CellPosition &cell) {
    if (d < 0) return false;
    const CellPosition position{kTileSize * (firstColumn + kTilesPerRow * (d / kTilesPerBand) + d % kTilesPerRow),
                                kTileSize * ((d % kTilesPerBand) / kTilesPerRow)};
    if (position.x + kTileSize > kTilesetWidth) return false;
    cell = position;
    return true;
}
} // namespace

bool plainLowerTileSource(uint16_t id, CellPosition &cell) {
    return cellInBand(kPlainLowerFirstColumn, int32_t{id} - kFirstPlainLowerTileId, cell);
}

bool upperTileSource(uint16_t id, CellPosition &cell) {
    return cellInBand(kUpperFirstColumn, int32_t{id} - kUpperTileIdFirst, cell);
}

} // namespace farview
