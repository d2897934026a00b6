#include "support/small_game.h"

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "simhost/simhost.h"
#include "support/mapfile_writer.h"

namespace farview_test {

FvHostImage *makeOneColourImage(int32_t width, int32_t height, uint8_t index, uint32_t rgb) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    if (image->pixels != nullptr) std::memset(image->pixels, index, static_cast<size_t>(width) * height);
    image->palette[index] = rgb;
    simhost::applyPalette(image);
    return image;
}

bool writeOneColourImage(const std::string &path, int32_t width, int32_t height, uint8_t index, uint32_t rgb) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    FvHostImage *image = makeOneColourImage(width, height, index, rgb);
    std::string error;
    bool ok = simhost::writeImagePng(*image, path, &error);
    simhost::destroyImage(image);
    EXPECT_TRUE(ok) << error;
    return ok;
}

namespace {

bool writeTileset() {
    FvHostImage *image = makeOneColourImage(480, 256, 1, 0x40a040);
    for (int32_t y = 128; y < 256; ++y)
        for (int32_t x = 288; x < 480; ++x) image->pixels[y * 480 + x] = 0;
    for (int32_t y = 128; y < 144; ++y)
        for (int32_t x = 288; x < 304; ++x) image->pixels[y * 480 + x] = 2;
    image->palette[2] = 0x806020;
    std::filesystem::create_directories("ChipSet");
    std::string error;
    bool ok = simhost::writeImagePng(*image, "ChipSet/tiles.png", &error);
    simhost::destroyImage(image);
    EXPECT_TRUE(ok) << error;
    return ok;
}

} // namespace

bool writeSmallGame(int32_t mapId, int32_t width, int32_t height) {
    if (!writeTileset()) return false;
    mapfile::MapLayers layers;
    layers.width = width;
    layers.height = height;
    layers.lower.assign(static_cast<size_t>(width) * height, 5000);
    layers.upper.assign(static_cast<size_t>(width) * height, 10001);
    std::string error;
    bool ok = mapfile::writeMapFile(mapfile::mapFileName(mapId), layers, &error);
    EXPECT_TRUE(ok) << error;
    simhost::setMapSize(width, height);
    simhost::setTilesetRecord(simhost::makeTilesetRecord("Fields", "tiles"));
    simhost::hero().mapId = mapId;
    return ok;
}

} // namespace farview_test
