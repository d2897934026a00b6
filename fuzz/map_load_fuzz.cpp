// Fuzz entry point for everything a map load reads: the host's map size, its tileset record and
// the map file, followed by a texture build and a boundary cut from what was loaded.
//
// Built with -DFARVIEW_LIBFUZZER=ON (clang) it is a libFuzzer target. Otherwise it is a plain
// program: with file arguments it runs each file as one input; with none it runs a fixed number of
// inputs made from a seeded generator (mutated real map files among them), which the test suite
// runs under the sanitizers.
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/host.h"
#include "mapdata/map_loading.h"
#include "simhost/simhost.h"
#include "texture/map_texture.h"
#include "tools/mapfile_writer.h"

namespace {

// Input layout: byte 0 and 1, the map's width and height in tiles; bytes 2 to 3, the boundary
// cell; the next 1200 bytes (or fewer) the tileset record; the rest the map file.
constexpr size_t kHeaderBytes = 4;

void runOneInput(const uint8_t *data, size_t size) {
    simhost::resetEngine();
    farview::bindHost(&simhost::hostInterface());
    if (size < kHeaderBytes) return;
    const size_t recordBytes = std::min<size_t>(size - kHeaderBytes, simhost::kTilesetRecordSize);
    simhost::setMapSize(data[0], data[1]);
    simhost::setTilesetRecord(std::vector<uint8_t>(data + kHeaderBytes, data + kHeaderBytes + recordBytes));
    simhost::hero().mapId = 1;
    {
        std::ofstream file(mapfile::mapFileName(1), std::ios::binary | std::ios::trunc);
        const size_t mapStart = kHeaderBytes + recordBytes;
        file.write(reinterpret_cast<const char *>(data + mapStart), static_cast<std::streamsize>(size - mapStart));
    }
    farview::MapRecord record;
    farview::loadMap(record);
    farview::buildMapTexture(record);
    FvHostImage *boundary = nullptr;
    farview::setBoundaryTexture(boundary, record, data[2] - 128, data[3] - 128);
    if (boundary != nullptr) simhost::destroyImage(boundary);
}

struct Random {
    uint64_t state;
    uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
};

// A well-formed input: a tileset record naming a graphic that is not there, and a real map file.
std::vector<uint8_t> wellFormedInput(Random &random) {
    mapfile::MapLayers layers;
    layers.width = static_cast<int32_t>(random.next() % 40);
    layers.height = static_cast<int32_t>(random.next() % 40);
    for (int32_t i = 0; i < layers.width * layers.height; ++i) {
        layers.lower.push_back(static_cast<uint16_t>(random.next() % 5300));
        layers.upper.push_back(static_cast<uint16_t>(9900 + random.next() % 300));
    }
    std::vector<uint8_t> input{static_cast<uint8_t>(layers.width), static_cast<uint8_t>(layers.height),
                               static_cast<uint8_t>(random.next()), static_cast<uint8_t>(random.next())};
    std::vector<uint8_t> record = simhost::makeTilesetRecord("Fuzz", "Missing");
    input.insert(input.end(), record.begin(), record.end());
    std::vector<uint8_t> map = mapfile::encodeMapFile(layers);
    input.insert(input.end(), map.begin(), map.end());
    return input;
}

void mutate(std::vector<uint8_t> &input, Random &random) {
    const uint32_t edits = random.next() % 8;
    for (uint32_t i = 0; i < edits && !input.empty(); ++i) {
        const size_t at = random.next() % input.size();
        switch (random.next() % 3) {
        case 0: input[at] = static_cast<uint8_t>(random.next()); break;
        case 1: input.resize(at); break;
        default: input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(random.next()));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    runOneInput(data, size);
    return 0;
}

#ifndef FARVIEW_LIBFUZZER
int main(int argc, char **argv) {
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("farview-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    const std::filesystem::path start = std::filesystem::current_path();
    std::filesystem::current_path(scratch);
    int inputs = 0;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i, ++inputs) {
            std::ifstream file(start / argv[i], std::ios::binary);
            std::vector<uint8_t> input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            runOneInput(input.data(), input.size());
        }
    } else {
        Random random{20261208};
        for (; inputs < 3000; ++inputs) {
            std::vector<uint8_t> input = wellFormedInput(random);
            if (inputs % 4 != 0) mutate(input, random);
            runOneInput(input.data(), input.size());
        }
    }
    std::filesystem::current_path(start);
    std::filesystem::remove_all(scratch);
    std::printf("%d passed, 0 failed\n", inputs);
    return 0;
}
#endif
