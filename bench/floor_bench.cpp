// One full floor frame (band and floor rows) through the shipped floor, each of its paths, and the
// reference floor of the tests, so that their ratios come out of one run.
//
//   farview_bench --benchmark_filter=floor --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "host/host.h"
#include "render/floor.h"
#include "render/reference_floor.h"
#include "simhost/simhost.h"

namespace {

using farview::FloorPath;

struct BenchMap {
    const char *name;
    int32_t tilesWide;
    int32_t tilesHigh;
    bool heroInCorner; // much of the view outside the map: boundary texture or wrapping at work
};

// The default view's two maps, and a third with the hero in a corner to show the cost of the edges.
constexpr BenchMap kMaps[] = {{"40x30", 40, 30, false}, {"500x500", 500, 500, false}, {"40x30-corner", 40, 30, true}};
constexpr int32_t kMapCount = 3;

FvHostImage *randomImage(int32_t width, int32_t height, uint32_t seed) {
    std::mt19937 random(seed);
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    for (int64_t i = 0; i < int64_t{width} * height; ++i) image->pixels[i] = static_cast<uint8_t>(random());
    for (int32_t i = 0; i < 256; ++i) image->palette[i] = static_cast<uint32_t>(random()) & 0xFFFFFF;
    simhost::applyPalette(image);
    return image;
}

// One engine for the whole run: the 500 x 500 map's texture is 64 MB, built once.
struct Scene {
    farview::ViewState view;
    farview::MapRecord maps[kMapCount];
    FvHostImage *textures[kMapCount];

    Scene() {
        simhost::resetEngine();
        farview::bindHost(&simhost::hostInterface());
        for (int32_t m = 0; m < kMapCount; ++m) {
            maps[m].width = kMaps[m].tilesWide;
            maps[m].height = kMaps[m].tilesHigh;
            maps[m].pixelWidth = 16 * kMaps[m].tilesWide;
            maps[m].pixelHeight = 16 * kMaps[m].tilesHigh;
            textures[m] = m == 2 ? textures[0] : randomImage(maps[m].pixelWidth, maps[m].pixelHeight, 7 + m);
        }
        view.boundaryTexture = randomImage(16, 16, 3);
    }

    // The default view, turned and wrapped as asked, with the hero in the middle of the map or in
    // its top left corner.
    const farview::MapRecord &use(int32_t m, float angle, bool wrapping) {
        view.mapTexture = textures[m];
        view.rotationAngle = angle;
        view.wrapping = wrapping;
        simhost::setMapSize(maps[m].width, maps[m].height);
        simhost::hero().mapColumn = kMaps[m].heroInCorner ? 0 : maps[m].width / 2;
        simhost::hero().mapRow = kMaps[m].heroInCorner ? 0 : maps[m].height / 2;
        simhost::scrollToHero();
        return maps[m];
    }
};

Scene &scene() {
    static Scene instance;
    return instance;
}

using FloorFunction = std::function<void(farview::ViewState &, const farview::MapRecord &, float, float)>;

void benchmarkFloor(benchmark::State &state, const FloorFunction &floor, int32_t m, float angle, bool wrapping) {
    Scene &s = scene();
    const farview::MapRecord &map = s.use(m, angle, wrapping);
    const float sine = static_cast<float>(std::sin(0.0174532925 * angle));
    const float cosine = static_cast<float>(std::cos(0.0174532925 * angle));
    for (auto _ : state) {
        floor(s.view, map, sine, cosine);
        benchmark::ClobberMemory();
    }
}

const int registered = [] {
    const std::pair<const char *, FloorFunction> implementations[] = {
        {"shipped", farview::renderFloor},
        {"sse2", [](auto &view, auto &map, float sine,
                    float cosine) { farview::renderFloorWith(FloorPath::sse2, view, map, sine, cosine); }},
        {"plain", [](auto &view, auto &map, float sine,
                     float cosine) { farview::renderFloorWith(FloorPath::plain, view, map, sine, cosine); }},
        {"reference", farview_test::referenceFloor},
    };
    for (bool wrapping : {false, true}) {
        for (int32_t m = 0; m < kMapCount; ++m) {
            for (float angle : {270.0f, 0.0f, 30.0f}) {
                for (const auto &[name, floor] : implementations) {
                    const std::string title = std::string("floor/") + kMaps[m].name +
                                              "/angle:" + std::to_string(static_cast<int>(angle)) +
                                              (wrapping ? "/wrapping/" : "/boundary/") + name;
                    benchmark::RegisterBenchmark(title.c_str(), benchmarkFloor, floor, m, angle, wrapping)
                        ->Unit(benchmark::kMicrosecond);
                }
            }
        }
    }
    return 0;
}();

} // namespace
