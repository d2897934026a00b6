// farview-preview GAME --all-maps on a game of 320 maps made the way real games are (sides from
// 20 x 15 to 240 x 240 cells, 30 tilesets, 24 character sheets, up to 40 events a map, names in
// code page 1252): the whole run through the real plug-in module, stills, contact sheet and report
// included. The time per map is the counter per_map, in seconds.
//
//   farview_bench --benchmark_filter=AllMaps
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "support/generated_game.h"
#include "tools/preview/preview_cli.h"

namespace {

constexpr int32_t kMaps = 320;

class GeneratedGameFolder {
public:
    GeneratedGameFolder()
        : folder_(std::filesystem::temp_directory_path() / ("farview-all-maps-bench-" + std::to_string(getpid()))) {
        gamefile::GameShape shape;
        shape.maps = kMaps;
        gamefile::GeneratedGame game;
        if (!gamefile::writeGeneratedGame(folder_ / "Game", shape, game, &error_)) folder_.clear();
    }
    ~GeneratedGameFolder() {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    GeneratedGameFolder(const GeneratedGameFolder &) = delete;
    GeneratedGameFolder &operator=(const GeneratedGameFolder &) = delete;

    const std::filesystem::path &folder() const { return folder_; }
    const std::string &error() const { return error_; }

private:
    std::filesystem::path folder_;
    std::string error_;
};

void BM_AllMapsOfAGeneratedGame(benchmark::State &state) {
    static const GeneratedGameFolder game;
    if (game.folder().empty()) {
        state.SkipWithError(game.error().c_str());
        return;
    }
    const std::string gameFolder = (game.folder() / "Game").string(), output = (game.folder() / "out").string();
    const std::vector<const char *> argv = {"farview-preview", gameFolder.c_str(), "--all-maps", "-o", output.c_str()};
    const preview::PreviewPaths paths{FARVIEW_MODULE_PATH, ""};
    for (auto _ : state) {
        std::ostringstream out, err;
        const int status = preview::runPreview(static_cast<int>(argv.size()), argv.data(), paths, out, err, false);
        if (status != 0) state.SkipWithError(("the run failed: " + err.str() + out.str()).c_str());
    }
    // Seconds per map, shown with its unit prefix: "5.1m" is 5.1 ms.
    state.counters["per_map"] =
        benchmark::Counter(kMaps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AllMapsOfAGeneratedGame)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
