// The map record: the map on which the hero stands, as the plug-in has read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/farview_host.h"

namespace farview {

constexpr int32_t kTileSize = 16; // map cells and tileset cells are 16 x 16 pixels

// width x height unsigned 16-bit values, row by row: column x, row y is element x + y * rowLength.
struct TileGrid {
    std::vector<uint16_t> cells;
    int32_t rowLength = 0;

    uint16_t at(int32_t x, int32_t y) const {
        return cells[static_cast<size_t>(x) + static_cast<size_t>(y) * rowLength];
    }
};

// Grids are declared in the reverse of the order in which they are released at unload.
struct MapRecord {
    int32_t width = 0; // tiles, from the host
    int32_t height = 0;
    int32_t pixelWidth = 0;            // width * 16
    int32_t pixelHeight = 0;           // height * 16
    std::string tilesetFileName = "0"; // "0" until a tileset name resolution succeeds
    std::string tilesetName;
    FvHostImage *tilesetImage = nullptr; // owned
    FvHostImage *mapTexture = nullptr;   // owned
    TileGrid attributeGrid;
    TileGrid lowerFlagGrid;
    TileGrid upperFlagGrid;
    TileGrid lowerTileGrid;
    TileGrid upperTileGrid;

    MapRecord() = default;
    MapRecord(const MapRecord &) = delete;
    MapRecord &operator=(const MapRecord &) = delete;
    ~MapRecord(); // destroys the tileset image, then the map texture
};

// The title-screen reset: sizes 0, tilesetFileName "0", both images destroyed. tilesetName and the
// grids keep their contents until the next load.
void resetMapRecord(MapRecord &record);

} // namespace farview
