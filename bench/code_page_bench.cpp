// The code page of a game of 600 maps whose graphics are named in code page 950, as the tools and
// the page choose it when a game opens: its names weighed under fourteen code pages, each looked for
// in the game's folders without regard to case.
//
//   farview_bench --benchmark_filter=CodePage
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "simhost/game_folder.h"
#include "support/generated_game.h"

namespace {

void BM_CodePageOfALargeGame(benchmark::State &state) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("farview-code-page-bench-" + std::to_string(getpid()));
    gamefile::GameShape shape;
    shape.maps = 600;
    shape.codePage = "950";
    gamefile::GeneratedGame made;
    simhost::GameFolder game;
    std::string error;
    if (!gamefile::writeGeneratedGame(folder, shape, made, &error) || !simhost::openGame(folder, game, &error)) {
        state.SkipWithError(error.c_str());
    } else {
        for (auto _ : state) {
            const simhost::CodePageChoice choice = simhost::chooseGameCodePage(game);
            if (choice.codePage != "950") state.SkipWithError(("chose " + choice.codePage).c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_CodePageOfALargeGame)->Unit(benchmark::kMillisecond);

} // namespace
