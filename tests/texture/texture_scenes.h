// Hand-made tilesets and random maps for the texture tests and the benchmark. Header-only: the
// benchmark program includes it as well.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mapdata/map_record.h"
#include "simhost/simhost.h"

namespace farview_test {

// A stream of numbers that is the same on every platform and standard library.
struct SplitMix {
    uint64_t state;

    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t bound) { return static_cast<uint32_t>(next() % bound); }
};

// Pixel indices that differ from place to place, so that a piece taken from the wrong place or put
// in the wrong place shows; one pixel in zeroEvery is index 0 (0: none).
inline uint8_t scatteredIndex(int32_t x, int32_t y, uint64_t seed, uint32_t zeroEvery) {
    SplitMix mix{seed * 0x100000001ull + static_cast<uint64_t>(y) * 65537u + static_cast<uint64_t>(x)};
    const uint64_t value = mix.next();
    if (zeroEvery != 0 && (value >> 32) % zeroEvery == 0) return 0;
    return static_cast<uint8_t>(1 + value % 255);
}

inline void fillScattered(FvHostImage &image, uint64_t seed, uint32_t zeroEvery) {
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
                scatteredIndex(x, y, seed, zeroEvery);
    SplitMix colours{seed};
    for (uint32_t &entry : image.palette) entry = static_cast<uint32_t>(colours.next() & 0xFFFFFF);
}

// Writes a paletted PNG of scattered indices: the tileset graphic the builder loads.
inline bool writeScatteredPng(const std::string &path, int32_t width, int32_t height, uint64_t seed,
                              uint32_t zeroEvery) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    fillScattered(*image, seed, zeroEvery);
    const bool written = simhost::writeImagePng(*image, path, nullptr);
    simhost::destroyImage(image);
    return written;
}

// Ids of every class, ranges' edges often, and now and then an id with no cell in the tileset.
inline uint16_t randomLowerId(SplitMix &random) {
    switch (random.below(10)) {
    case 0: return static_cast<uint16_t>(random.below(1000));        // column autotile, kind A
    case 1: return static_cast<uint16_t>(1000 + random.below(1000)); // column autotile, kind B
    case 2: return static_cast<uint16_t>(2000 + random.below(1000)); // fixed tile
    case 3: return static_cast<uint16_t>(3000 + random.below(1000)); // strip tile
    case 4:
    case 5: return static_cast<uint16_t>(4000 + random.below(1000)); // block autotile
    case 6:
    case 7: return static_cast<uint16_t>(5000 + random.below(288));                  // plain lower tile
    case 8: return static_cast<uint16_t>(random.below(64) + 1000 * random.below(2)); // small patterns
    default: return static_cast<uint16_t>(5288 + random.below(65536 - 5288));        // no cell
    }
}

inline uint16_t randomUpperId(SplitMix &random) {
    switch (random.below(8)) {
    case 0: return static_cast<uint16_t>(random.below(65536));     // mostly no cell
    case 1: return static_cast<uint16_t>(9952 + random.below(48)); // below 10000, still in the layout
    default: return static_cast<uint16_t>(10000 + random.below(144));
    }
}

// Fills the record as a map load would: size, pixel size and both tile grids.
inline void setRandomMap(farview::MapRecord &record, int32_t width, int32_t height, uint64_t seed) {
    SplitMix random{seed};
    record.width = width;
    record.height = height;
    record.pixelWidth = width * farview::kTileSize;
    record.pixelHeight = height * farview::kTileSize;
    const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    record.lowerTileGrid.cells.resize(cells);
    record.upperTileGrid.cells.resize(cells);
    record.lowerTileGrid.rowLength = width;
    record.upperTileGrid.rowLength = width;
    for (size_t i = 0; i < cells; ++i) {
        record.lowerTileGrid.cells[i] = randomLowerId(random);
        record.upperTileGrid.cells[i] = randomUpperId(random);
    }
}

inline std::vector<uint8_t> imagePixels(const FvHostImage &image) {
    if (image.pixels == nullptr) return {};
    return {image.pixels, image.pixels + static_cast<size_t>(image.width) * static_cast<size_t>(image.height)};
}

} // namespace farview_test
