// Rebuilding the map texture of a 500 x 500 map that uses every tile class, from a full tileset,
// both images reused: the builder against the plain cell-by-cell build, measured in the same run.
//
//   farview_bench --benchmark_filter=MapTexture --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// The stand-in host keeps the buffer of an image sized again to its own size, so a rebuild for the
// same map measures the build, not the system supplying 64 MB of fresh pages.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "host/host.h"
#include "texture/map_texture.h"
#include "texture/reference_texture.h"
#include "texture/texture_scenes.h"

namespace {

constexpr int32_t kMapSide = 500;

// A scratch folder with the tileset graphic and a random map; the first build creates the images
// that the measured builds reuse. Other benchmarks' images are left alone.
class TextureScene {
public:
    TextureScene() : previous_(std::filesystem::current_path()) {
        farview::bindHost(&simhost::hostInterface());
        folder_ = std::filesystem::temp_directory_path() / ("farview-texture-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
        farview_test::writeScatteredPng("ChipSet/Bench.png", 480, 256, 1, 4);
        record.tilesetFileName = "Bench.png";
        farview_test::setRandomMap(record, kMapSide, kMapSide, 42);
        farview::buildMapTexture(record);
    }
    ~TextureScene() {
        farview::resetMapRecord(record);
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(folder_, ignored);
    }
    TextureScene(const TextureScene &) = delete;
    TextureScene &operator=(const TextureScene &) = delete;

    farview::MapRecord record;

private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

template <void (*build)(farview::MapRecord &)> void rebuild(benchmark::State &state) {
    TextureScene scene;
    for (auto _ : state) {
        build(scene.record);
        benchmark::DoNotOptimize(scene.record.mapTexture->pixels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{kMapSide} * kMapSide);
}

void BM_MapTexture_Builder(benchmark::State &state) { rebuild<farview::buildMapTexture>(state); }
void BM_MapTexture_PlainReference(benchmark::State &state) { rebuild<farview_test::buildMapTextureReference>(state); }

BENCHMARK(BM_MapTexture_Builder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapTexture_PlainReference)->Unit(benchmark::kMillisecond);

} // namespace
