// The map texture: the whole map drawn at 16 x 16 pixels a cell from the tileset image, autotiles
// composed from their pieces, the upper layer over the lower; and the boundary texture cut from it.
#pragma once

#include <cstdint>

#include "host/farview_host.h"
#include "mapdata/map_record.h"
#include "mapdata/tileset_layout.h"

namespace farview {

// ---- Drawing ------------------------------------------------------------------------------------

extern const char *const kMapNotLoadedMessage;

// Copies a width x height rectangle; source pixels of index 0 leave the target pixel as it was.
// A rectangle that does not lie wholly inside its image copies nothing.
void copyPiece(FvHostImage &target, int32_t targetX, int32_t targetY, const FvHostImage &source, int32_t sourceX,
               int32_t sourceY, int32_t width, int32_t height);

// Draws a composite lower tile (id below 5000: autotiles, the fixed tile, strip tiles) from the
// record's tileset image into its map texture with its top-left pixel at (targetX, targetY).
// Ids from 5000 up, or a record without both images, draw nothing.
void composeLowerCell(MapRecord &record, uint16_t id, int32_t targetX, int32_t targetY);

// Loads the tileset graphic and draws every cell of the map, lower layer then upper layer, into
// the record's map texture, created on first use and sized width*16 x height*16 with the
// tileset's palette. Before any tileset name is resolved it shows kMapNotLoadedMessage and
// creates nothing. The texture starts from index 0: pixels that no layer covers hold 0.
void buildMapTexture(MapRecord &record);

// Cuts map cell (column, row) of record.mapTexture into boundaryTexture (created on first use,
// 16 x 16, the map texture's palette). Ignored while there is no map texture or when the cell
// lies outside the map.
void setBoundaryTexture(FvHostImage *&boundaryTexture, const MapRecord &record, int32_t column, int32_t row);

} // namespace farview
