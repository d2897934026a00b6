// The tileset graphic's geometry and the bands of tile ids: which ids a map cell may hold, and
// which 16 x 16 cell of the 480 x 256 graphic shows each one.
#pragma once

#include <cstdint>

#include "mapdata/map_record.h"

namespace farview {

constexpr int32_t kTilesetWidth = 480; // 30 columns x 16 rows of cells
constexpr int32_t kTilesetHeight = 256;

// Lower-layer ids: composite tiles below 5000, drawn from pieces of the graphic's first twelve
// columns (column autotiles of two kinds, the fixed tile, strip tiles, block autotiles), then
// plain lower tiles.
constexpr uint16_t kFirstColumnAutotileB = 1000;
constexpr uint16_t kFirstFixedTile = 2000;
constexpr uint16_t kFirstStripTile = 3000;
constexpr uint16_t kFirstBlockAutotile = 4000;
constexpr uint16_t kFirstPlainLowerTileId = 5000;
constexpr uint16_t kLowerTileIdEnd = 5288; // plain lower tiles have cells up to 5287

// Upper-layer ids: 144 upper tiles from 10000; the layout places upper cells from id 9952 on (10000
// sits in the ninth row of its band) up to 10143.
constexpr uint16_t kFirstUpperTileId = 10000;
constexpr int32_t kUpperTileCount = 144;
constexpr uint16_t kUpperTileIdFirst = 9952;
constexpr uint16_t kUpperTileIdEnd = 10144;

// Plain lower and upper tiles run six to a row, down a band of 16 rows, then on to the next band
// of six columns; plain lower tiles from column 12, upper tiles from column 18.
constexpr int32_t kTilesPerRow = 6;
constexpr int32_t kTilesPerBand = 96;
constexpr int32_t kPlainLowerFirstColumn = 12;
constexpr int32_t kUpperFirstColumn = 18;

struct CellPosition {
    int32_t x = 0; // top-left pixel in the tileset image
    int32_t y = 0;
};

// The source cell of a plain lower tile (id 5000 and above) or of an upper tile. False when the
// id has no cell in the 480 x 256 layout: plain lower ids above 5287, upper ids outside 9952 to
// 10143. Such tiles are not drawn.
bool plainLowerTileSource(uint16_t id, CellPosition &cell);
bool upperTileSource(uint16_t id, CellPosition &cell);

} // namespace farview
