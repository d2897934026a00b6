// Filling the map record: the tileset's names and graphic from the host's tileset record, the map's
// size from the host, and both tile layers from the host's map file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapdata/map_record.h"
#include "mapdata/tileset_layout.h"

namespace farview {

// ---- The host's tileset record (tileset_record.cpp) --------------------------------------------

// The open map's tileset record as a bounded block of bytes. Offsets outside the block read as 0,
// so a short or missing record is never read past.
struct TilesetRecordView {
    const uint8_t *bytes = nullptr;
    int32_t size = 0;

    uint8_t byteAt(int32_t offset) const;
    uint16_t wordAt(int32_t offset) const; // little-endian
    std::string textAt(int32_t offset, int32_t length) const;
};

// The record of the host's map view, fetched anew; empty when the host has no map view or record.
TilesetRecordView currentTilesetRecord();

// ---- Tileset names and graphic (tileset.cpp) -------------------------------------------------

extern const char *const kTilesetSlotMessage;

// Reads the record's name area into tilesetName and tilesetFileName. A check byte above 100 shows
// kTilesetSlotMessage and leaves both names as they were; so does a host without a record (no map
// open), without a message: the texture builder then refuses with its own.
void resolveTilesetNames(MapRecord &record);

// Creates tilesetImage when absent, sizes it 480 x 256 and loads "ChipSet/" + tilesetFileName into
// it. A failed load is the host's to report.
void loadTilesetGraphic(MapRecord &record);

// ---- The map file (map_file.cpp) ---------------------------------------------------------------

constexpr int32_t kTileTableSize = 162; // attribute and lower-flag tables: one entry per index

// Position 0 to 161 of a lower tile id in the tileset record's per-tile tables; ids above 5143
// give positions beyond the tables, which the reader does not look up.
int32_t tileTableIndex(uint16_t lowerTileId);

// "Map" + the id with at least four digits + ".lmu".
std::string mapFileName(int32_t mapId);

// Whether the host's map size can be held: not negative, and the map texture's pixel sizes and
// pixel count fit a signed 32-bit integer (so every cell count and pixel offset does too).
bool mapSizeUsable(int32_t width, int32_t height);

// Loads the map on which the hero stands: tileset names, size, both tile layers and the three
// per-cell tables. A size that is not usable loads as a 0 x 0 map. A missing or short map file
// ends the load early; cells not read hold 0.
void loadMap(MapRecord &record);

// The part of loadMap after the size is set: reads both tile layers from the map file's bytes
// into the record's grids, which must already hold width x height cells.
void readTileLayers(MapRecord &record, const std::vector<uint8_t> &mapFile, const TilesetRecordView &tileset);

} // namespace farview
