#include "texture/map_texture.h"

namespace farview {

namespace {
// Plain lower and upper tiles run six to a row, down a band of 16 rows, then on to the next
// band of six columns.
constexpr int32_t kTilesPerRow = 6;
constexpr int32_t kTilesPerBand = 96;
constexpr int32_t kPlainLowerFirstColumn = 12;
constexpr int32_t kUpperFirstColumn = 18;
constexpr int32_t kUpperLayoutFirstId = 9952; // upper id 10000 sits in the band's ninth row

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
    return cellInBand(kUpperFirstColumn, int32_t{id} - kUpperLayoutFirstId, cell);
}

} // namespace farview
