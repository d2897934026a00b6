#include "fuzz/fuzz_scene.h"

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_main.h"
#include "simhost/simhost.h"
#include "support/mapfile_writer.h"

namespace fuzz {

namespace {

// Every 8 x 8 square gets an index from a hash of its position, index 0 (transparent) among
// them, so that a piece drawn from the wrong place shows, and the palette is all different
// colours. Squares rather than single pixels keep the scene's PNGs quick to decode.
uint8_t patternIndex(int32_t x, int32_t y, uint32_t salt) {
    uint32_t h = static_cast<uint32_t>(x / 8) * 73856093u ^ static_cast<uint32_t>(y / 8) * 19349663u ^ salt;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return static_cast<uint8_t>(h >> 24);
}

void writePatternImage(const std::string &path, int32_t width, int32_t height, uint32_t salt) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image->pixels[y * width + x] = patternIndex(x, y, salt);
    for (uint32_t i = 0; i < 256; ++i) image->palette[i] = (i * 0x9E3779B1u + salt) & 0xFFFFFFu;
    std::string error;
    const bool written = simhost::writeImagePng(*image, path, &error);
    simhost::destroyImage(image);
    if (!written) fail(error.c_str());
}

// Lower ids of every row of the tile table, ids with no cell, and upper ids in and out of range.
const uint16_t kLowerIds[] = {0,    999,  1000, 1999, 2000, 3000, 3050, 3999, 4000, 4049,
                              4321, 4999, 5000, 5095, 5096, 5143, 5144, 5287, 5288, 65535};
const uint16_t kUpperIds[] = {10000, 10047, 10048, 10143, 10144, 9999, 9952, 0, 65535, 10001};

void writeSceneMap(const SceneMap &map) {
    mapfile::MapLayers layers;
    layers.width = map.width;
    layers.height = map.height;
    const size_t cells = static_cast<size_t>(map.width) * static_cast<size_t>(map.height);
    for (size_t i = 0; i < cells; ++i) {
        layers.lower.push_back(kLowerIds[i % std::size(kLowerIds)]);
        layers.upper.push_back(kUpperIds[(i * 7) % std::size(kUpperIds)]);
    }
    std::string error;
    if (!mapfile::writeMapFile(mapfile::mapFileName(map.mapId), layers, &error)) fail(error.c_str());
}

} // namespace

void writeSceneFiles() {
    writePatternImage(std::string("ChipSet/") + kSceneTilesetGraphic + ".png", 480, 256, 1);
    writePatternImage(std::string("CharSet/") + kSceneSheet + ".png", 144, 256, 2);
    writePatternImage(kSceneBackground, 360, 60, 3);
    writePatternImage(kSceneSprite, 24, 32, 4);
    writePatternImage(kSceneStrip, 192, 32, 5);
    for (const SceneMap &map : kSceneMaps) writeSceneMap(map);
}

void enterSceneMap(const SceneMap &map) {
    simhost::setMapSize(map.width, map.height);
    simhost::setTilesetRecord(simhost::makeTilesetRecord("Fuzz", kSceneTilesetGraphic));
    FvHostCharacter &hero = simhost::hero();
    hero.mapId = map.mapId;
    hero.mapColumn = 1;
    hero.mapRow = 1;
    simhost::setSheetName(hero, kSceneSheet);
    simhost::clearEvents();
    FvHostCharacter &walker = simhost::addEvent(1, 3, 2);
    simhost::setSheetName(walker, kSceneSheet);
    walker.sheetIndex = 3;
    FvHostCharacter &tile = simhost::addEvent(2, 0, 4);
    tile.sheetIndex = 5;
    FvHostCharacter &missing = simhost::addEvent(3, 5, 0);
    simhost::setSheetName(missing, "nobody");
    simhost::scrollToHero();
}

} // namespace fuzz
