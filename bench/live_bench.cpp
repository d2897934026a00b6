// One frame of the live view on the demo at scale 3, as the window's loop spends it on the CPU:
// the frame (a look for changed files and the plug-in's frame), the scaling to the window's pixels
// and the overlay; the wait for the display is not part of it. Each part also alone, to see where
// the time goes.
//
//   farview_bench --benchmark_filter=Live --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "tools/demo/demo_game.h"
#include "tools/live/live_demo.h"
#include "tools/live/live_picture.h"
#include "tools/live/live_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kScale = 3;
constexpr int32_t kFontScale = 2;

// The demo game written once into a folder of its own, open in a live session with its scene.
class LiveDemo {
public:
    LiveDemo() : folder_(fs::temp_directory_path() / ("farview-live-bench-" + std::to_string(getpid()))) {
        std::string error;
        session_ = std::make_unique<live::LiveSession>(folder_);
        live::OpenRequest request;
        request.game = folder_ / "game";
        request.scriptText = live::kDemoScene;
        request.scriptName = "demo scene";
        ready_ = preview::writeDemoGame(request.game, &error) && session_->loadModule(FARVIEW_MODULE_PATH, &error) &&
                 session_->open(request, &error);
        error_ = error;
    }
    ~LiveDemo() {
        session_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    LiveDemo(const LiveDemo &) = delete;
    LiveDemo &operator=(const LiveDemo &) = delete;

    live::LiveSession *session(benchmark::State &state) {
        if (!ready_) state.SkipWithError(error_.c_str());
        return ready_ ? session_.get() : nullptr;
    }

    // The overlay as the window shows it after a few changes.
    std::vector<live::OverlayLine> overlay() {
        if (!changed_) {
            for (live::Key key : {live::Key::E, live::Key::Plus, live::Key::Digit3, live::Key::Plus})
                session_->key(key, {});
            changed_ = true;
        }
        return session_->overlay();
    }

private:
    fs::path folder_;
    std::unique_ptr<live::LiveSession> session_;
    bool ready_ = false;
    bool changed_ = false;
    std::string error_;
};

LiveDemo &demo() {
    static LiveDemo opened;
    return opened;
}

void BM_LiveFrame(benchmark::State &state) {
    live::LiveSession *session = demo().session(state);
    if (session == nullptr) return;
    live::WindowImage image;
    demo().overlay();
    for (auto _ : state) {
        session->frame();
        session->picture(kScale, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_LiveFrame)->Unit(benchmark::kMicrosecond);

void BM_LivePluginFrame(benchmark::State &state) {
    live::LiveSession *session = demo().session(state);
    if (session == nullptr) return;
    for (auto _ : state) session->frame();
}
BENCHMARK(BM_LivePluginFrame)->Unit(benchmark::kMicrosecond);

void BM_LiveScaling(benchmark::State &state) {
    if (demo().session(state) == nullptr) return;
    live::WindowImage image;
    for (auto _ : state) {
        live::scaleScreen(kScale, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_LiveScaling)->Unit(benchmark::kMicrosecond);

void BM_LiveOverlay(benchmark::State &state) {
    if (demo().session(state) == nullptr) return;
    live::WindowImage image;
    live::scaleScreen(kScale, image);
    for (auto _ : state) {
        live::drawOverlay(demo().overlay(), kFontScale, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(BM_LiveOverlay)->Unit(benchmark::kMicrosecond);

} // namespace
