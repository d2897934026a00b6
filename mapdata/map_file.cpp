#include <array>
#include <cstdio>
#include <fstream>
#include <new>

#include "host/host.h"
#include "mapdata/map_loading.h"

namespace farview {

namespace {
constexpr uint8_t kLowerLayerMarker = 0x47;
// A length field is never decoded: its size follows from the cell count. Two 7-bit groups hold a
// byte count up to 16383, so up to 8191 cells.
constexpr size_t kLargestShortFormCells = 8191;
constexpr size_t kShortLowerLength = 2, kLongLowerLength = 3;
// Between the layers: the upper section's identifier byte and its length field.
constexpr size_t kShortLayerGap = 3, kLongLayerGap = 4;

constexpr int32_t kAttributeTableOffset = 16;
constexpr int32_t kLowerFlagTableOffset = 340;
constexpr int32_t kUpperFlagTableOffset = 502;

constexpr size_t kReadChunkBytes = 16384;

// Reads the map file's bytes in order; reading past the end yields end of data, never a byte.
struct ByteCursor {
    const std::vector<uint8_t> &bytes;
    size_t position = 0;

    bool skipPast(uint8_t marker) {
        while (position < bytes.size())
            if (bytes[position++] == marker) return true;
        return false;
    }
    bool skip(size_t count) {
        if (bytes.size() - position < count) return false;
        position += count;
        return true;
    }
    bool readTileId(uint16_t &id) {
        if (bytes.size() - position < 2) return false;
        id = static_cast<uint16_t>(bytes[position] | bytes[position + 1] << 8);
        position += 2;
        return true;
    }
};

// The whole file, or nothing when it cannot be opened or held in memory.
std::vector<uint8_t> readWholeFile(const std::string &name) {
    std::vector<uint8_t> bytes;
    std::ifstream file(name, std::ios::binary);
    if (!file) return bytes;
    try {
        char chunk[kReadChunkBytes];
        while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
            bytes.insert(bytes.end(), chunk, chunk + file.gcount());
    } catch (const std::bad_alloc &) {
        bytes.clear();
    } catch (const std::length_error &) {
        bytes.clear();
    }
    return bytes;
}

void giveStorage(TileGrid &grid, size_t cells, int32_t rowLength) {
    grid.cells = std::vector<uint16_t>(cells); // the previous load's storage is released
    grid.rowLength = rowLength;
}

std::array<TileGrid *, 5> gridsInAllocationOrder(MapRecord &record) {
    return {&record.attributeGrid, &record.lowerTileGrid, &record.upperTileGrid, &record.lowerFlagGrid,
            &record.upperFlagGrid};
}

void setMapSize(MapRecord &record, int32_t width, int32_t height) {
    record.width = width;
    record.height = height;
    record.pixelWidth = width * kTileSize;
    record.pixelHeight = height * kTileSize;
    const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (TileGrid *grid : gridsInAllocationOrder(record)) giveStorage(*grid, cells, width);
}

bool gridsHoldMap(MapRecord &record, size_t cells) {
    for (TileGrid *grid : gridsInAllocationOrder(record))
        if (grid->cells.size() != cells) return false;
    return true;
}

void storeLowerTile(MapRecord &record, size_t cell, uint16_t id, const TilesetRecordView &tileset) {
    record.lowerTileGrid.cells[cell] = id;
    const int32_t index = tileTableIndex(id);
    if (index >= kTileTableSize) return; // no table entry: attribute and flag stay 0
    record.attributeGrid.cells[cell] = tileset.wordAt(kAttributeTableOffset + 2 * index);
    record.lowerFlagGrid.cells[cell] = tileset.byteAt(kLowerFlagTableOffset + index);
}

void storeUpperTile(MapRecord &record, size_t cell, uint16_t id, const TilesetRecordView &tileset) {
    record.upperTileGrid.cells[cell] = id;
    const int32_t index = id - kFirstUpperTileId;
    if (index < 0 || index >= kUpperTileCount) return; // no table entry: flag stays 0
    record.upperFlagGrid.cells[cell] = tileset.byteAt(kUpperFlagTableOffset + index);
}
} // namespace

int32_t tileTableIndex(uint16_t lowerTileId) {
    const int32_t id = lowerTileId;
    switch (id / 1000) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 2;
    case 3: return (id - 2850) / 50;
    case 4: return (id - 3700) / 50;
    default: return id - 4982;
    }
}

std::string mapFileName(int32_t mapId) {
    char name[32];
    std::snprintf(name, sizeof name, "Map%04d.lmu", static_cast<int>(mapId));
    return name;
}

bool mapSizeUsable(int32_t width, int32_t height) {
    if (width < 0 || height < 0) return false;
    const int64_t pixelWidth = int64_t{width} * kTileSize;
    const int64_t pixelHeight = int64_t{height} * kTileSize;
    return pixelWidth <= INT32_MAX && pixelHeight <= INT32_MAX && pixelWidth * pixelHeight <= INT32_MAX;
}

void readTileLayers(MapRecord &record, const std::vector<uint8_t> &mapFile, const TilesetRecordView &tileset) {
    if (!mapSizeUsable(record.width, record.height)) return;
    const size_t cells = static_cast<size_t>(record.width) * static_cast<size_t>(record.height);
    if (!gridsHoldMap(record, cells)) return;
    const bool shortForm = cells <= kLargestShortFormCells;

    ByteCursor cursor{mapFile};
    if (!cursor.skipPast(kLowerLayerMarker)) return;
    if (!cursor.skip(shortForm ? kShortLowerLength : kLongLowerLength)) return;
    uint16_t id = 0;
    for (size_t cell = 0; cell < cells; ++cell) {
        if (!cursor.readTileId(id)) return;
        storeLowerTile(record, cell, id, tileset);
    }
    if (!cursor.skip(shortForm ? kShortLayerGap : kLongLayerGap)) return;
    for (size_t cell = 0; cell < cells; ++cell) {
        if (!cursor.readTileId(id)) return;
        storeUpperTile(record, cell, id, tileset);
    }
}

void loadMap(MapRecord &record) {
    resolveTilesetNames(record);

    int32_t width = 0, height = 0;
    host().mapSize(&width, &height);
    if (!mapSizeUsable(width, height)) width = height = 0;
    try {
        setMapSize(record, width, height);
    } catch (const std::bad_alloc &) {
        setMapSize(record, 0, 0);
    }

    const FvHostCharacter *hero = hostHero();
    if (hero == nullptr) return;
    readTileLayers(record, readWholeFile(mapFileName(hero->mapId)), currentTilesetRecord());
}

} // namespace farview
