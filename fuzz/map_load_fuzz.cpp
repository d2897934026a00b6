// Everything a map load reads: the host's map size, its tileset record and the map file, followed
// by a texture build and a boundary cut from what was loaded.
//
// Input layout: bytes 0 and 1, the map's width and height in tiles (their low six bits: sides up
// to 63 keep a texture to a megapixel, where sides up to 255 made it sixteen and ran the target
// at a sixtieth of the speed, with no more code to reach); bytes 2 and 3, the boundary
// cell's column and row (less 128); the next 1200 bytes (or fewer) the tileset record; the rest
// the map file.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

#include "fuzz/fuzz_main.h"
#include "host/host.h"
#include "mapdata/map_loading.h"
#include "simhost/simhost.h"
#include "texture/map_texture.h"

namespace {

constexpr size_t kHeaderBytes = 4;
constexpr uint8_t kSideBits = 0x3F;

void writeMapFile(const uint8_t *bytes, size_t size) {
    std::ofstream file(farview::mapFileName(1), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes), static_cast<std::streamsize>(size));
}

} // namespace

void fuzz::testOneInput(const uint8_t *data, size_t size) {
    static const bool bound = (farview::bindHost(&simhost::hostInterface()), true);
    (void)bound;
    if (size < kHeaderBytes) return;
    const size_t recordBytes = std::min<size_t>(size - kHeaderBytes, simhost::kTilesetRecordSize);
    simhost::setMapSize(data[0] & kSideBits, data[1] & kSideBits);
    simhost::setTilesetRecord(std::vector<uint8_t>(data + kHeaderBytes, data + kHeaderBytes + recordBytes));
    simhost::hero().mapId = 1;
    writeMapFile(data + kHeaderBytes + recordBytes, size - kHeaderBytes - recordBytes);

    farview::MapRecord record;
    farview::loadMap(record);
    farview::buildMapTexture(record);
    FvHostImage *boundary = nullptr;
    farview::setBoundaryTexture(boundary, record, data[2] - 128, data[3] - 128);
    if (boundary != nullptr) simhost::destroyImage(boundary);
    simhost::setTilesetRecord({});
    simhost::clearMessages(); // the record's images go with it
}
