// The sprite stage: the arrangement of 200 placements (projection, sort from the last frame's
// order, selection) with the view turning a little every frame, beside the tests' reference; and a
// whole frame, floor and 50 sprites drawn by the stand-in host.
//
//   farview_bench --benchmark_filter=sprite --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "host/host.h"
#include "render/frame.h"
#include "render/reference_sprites.h"
#include "render/sprite_stage.h"
#include "simhost/simhost.h"

namespace {

constexpr int32_t kMapWidth = 40;
constexpr int32_t kMapHeight = 30;
constexpr int32_t kHeroColumn = 20;
constexpr int32_t kHeroRow = 15;
constexpr int32_t kArrangedPlacements = 200;
constexpr int32_t kDrawnPlacements = 50;
constexpr float kTurnPerFrame = 0.25f; // degrees: the order changes a little from frame to frame

FvHostImage *randomImage(int32_t width, int32_t height, std::mt19937 &random, int32_t transparentPercent) {
    FvHostImage *image = simhost::createImage();
    simhost::setImageSize(image, width, height);
    for (int64_t i = 0; i < int64_t{width} * height; ++i) {
        const bool transparent = static_cast<int32_t>(random() % 100) < transparentPercent;
        image->pixels[i] = transparent ? 0 : static_cast<uint8_t>(1 + random() % 255);
    }
    for (int32_t i = 0; i < 256; ++i) image->palette[i] = static_cast<uint32_t>(random()) & 0xFFFFFF;
    simhost::applyPalette(image);
    return image;
}

void place(farview::SpriteRegistry &registry, const FvHostCharacter &character) {
    farview::appendPlacement(registry, &character == &simhost::hero() ? farview::placedHero()
                                                                      : farview::placedEvent(character.id));
}

// The stand-in engine is shared with the other benchmarks, which may move the hero and resize the
// map: each benchmark puts them back before it runs. Images and events made here are kept.
struct SpriteScene {
    farview::ViewState view;
    farview::MapRecord map;
    farview::SpriteRegistry around;  // the hero and 199 events all round him
    farview::SpriteRegistry inFront; // the hero and 49 events, all in the default view

    SpriteScene() {
        farview::bindHost(&simhost::hostInterface());
        std::mt19937 random(11);
        map.width = kMapWidth;
        map.height = kMapHeight;
        map.pixelWidth = 16 * kMapWidth;
        map.pixelHeight = 16 * kMapHeight;
        view.mapTexture = randomImage(map.pixelWidth, map.pixelHeight, random, 0);
        view.boundaryTexture = randomImage(16, 16, random, 0);
        inFront.imageCache["CharSet/Bench.png"] = randomImage(288, 256, random, 30);
        simhost::setSheetName(simhost::hero(), "Bench");

        // Within 12 tiles of the hero in every direction: whatever the angle, about half stand in
        // front of the eye.
        around.placementsMapId = inFront.placementsMapId = 1;
        place(around, simhost::hero());
        std::uniform_int_distribution<int32_t> nearby(-12, 12);
        for (int32_t i = 1; i < kArrangedPlacements; ++i)
            place(around, simhost::addEvent(1000 + i, kHeroColumn + nearby(random), kHeroRow + nearby(random)));

        // Between 70 and 300 map pixels ahead of the eye at the default angle, inside the view's
        // sides: all drawn, from small and far to large and near.
        place(inFront, simhost::hero());
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int32_t i = 1; i < kDrawnPlacements; ++i) {
            const float depth = 70.0f + 230.0f * unit(random);
            const float lateral = depth * 0.55f * (2.0f * unit(random) - 1.0f);
            const float x = 16.0f * kHeroColumn + 8.0f + lateral;
            const float y = 16.0f * kHeroRow + 16.0f + 100.0f - depth;
            FvHostCharacter &event = simhost::addEvent(2000 + i, static_cast<int32_t>((x - 8.0f) / 16.0f),
                                                       static_cast<int32_t>((y - 16.0f) / 16.0f));
            simhost::setSheetName(event, "Bench");
            event.sheetIndex = static_cast<int32_t>(random() % 8);
            event.facing = static_cast<int32_t>(random() % 4);
            event.animationStep = static_cast<int32_t>(random() % 4);
            place(inFront, event);
        }
    }

    // The hero in the middle of the 40 x 30 map on map 1, the view scrolled to him, and the
    // floor's camera point, which the stage reads.
    void useMap() {
        simhost::setMapSize(kMapWidth, kMapHeight);
        FvHostCharacter &hero = simhost::hero();
        hero.mapId = 1;
        hero.mapColumn = kHeroColumn;
        hero.mapRow = kHeroRow;
        simhost::scrollToHero();
        const FvHostMapView &mapView = simhost::mapView();
        view.cameraX = static_cast<float>(simhost::characterScreenX(&hero) + mapView.scrollX / 16);
        view.cameraY = static_cast<float>(simhost::characterScreenY(&hero) + mapView.scrollY / 16);
        view.rotationAngle = 270.0f;
    }
};

SpriteScene &scene() {
    static SpriteScene instance;
    return instance;
}

// The frame driver's direction of view, turned a little further each frame.
struct TurningView {
    float angle = 270.0f;
    float sine = 0.0f;
    float cosine = 0.0f;

    void turn(farview::ViewState &view) {
        angle = angle + kTurnPerFrame >= 360.0f ? angle + kTurnPerFrame - 360.0f : angle + kTurnPerFrame;
        view.rotationAngle = angle;
        sine = static_cast<float>(std::sin(0.0174532925 * double{angle}));
        cosine = static_cast<float>(std::cos(0.0174532925 * double{angle}));
    }
};

void arrangeShipped(benchmark::State &state) {
    SpriteScene &s = scene();
    s.useMap();
    TurningView turning;
    size_t drawn = 0;
    for (auto _ : state) {
        turning.turn(s.view);
        const farview::DrawnRange range =
            farview::arrangeSprites(s.view, s.map, s.around, turning.sine, turning.cosine);
        drawn += range.last - range.first;
        benchmark::DoNotOptimize(range);
    }
    state.counters["drawn"] = benchmark::Counter(static_cast<double>(drawn), benchmark::Counter::kAvgIterations);
}

void arrangeReference(benchmark::State &state) {
    SpriteScene &s = scene();
    s.useMap();
    TurningView turning;
    farview_test::ReferenceSpriteStage stage;
    for (auto _ : state) {
        turning.turn(s.view);
        stage.arrange(s.view, s.map, s.around, turning.sine, turning.cosine);
        benchmark::DoNotOptimize(stage.lastDrawn());
    }
}

void wholeFrame(benchmark::State &state) {
    SpriteScene &s = scene();
    s.useMap();
    for (auto _ : state) {
        farview::renderFrame(s.view, s.map, s.inFront);
        benchmark::ClobberMemory();
    }
    TurningView still{270.0f - kTurnPerFrame};
    still.turn(s.view);
    const farview::DrawnRange range = farview::arrangeSprites(s.view, s.map, s.inFront, still.sine, still.cosine);
    state.counters["drawn"] = static_cast<double>(range.last - range.first);
}

BENCHMARK(arrangeShipped)->Name("sprite/arrange/200/shipped")->Unit(benchmark::kMicrosecond);
BENCHMARK(arrangeReference)->Name("sprite/arrange/200/reference")->Unit(benchmark::kMicrosecond);
BENCHMARK(wholeFrame)->Name("sprite/frame/40x30/floor+50")->Unit(benchmark::kMicrosecond);

} // namespace
