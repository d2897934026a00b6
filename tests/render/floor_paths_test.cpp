// Every implementation of the floor paints exactly the reference's pixels, over thousands of random
// views: ordinary ones, and ones whose values are zero, negative, huge, infinite or NaN.
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/floor.h"
#include "render/floor_scene.h"
#include "render/reference_floor.h"

namespace farview_test {
namespace {

using farview::FloorPath;

#if defined(__SANITIZE_ADDRESS__)
constexpr int32_t kRandomViews = 2000; // each view costs several times as much under the sanitizers
#else
constexpr int32_t kRandomViews = 4000;
#endif

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

struct TestMap {
    int32_t tilesWide;
    int32_t tilesHigh;
    FvHostImage *texture;
};

struct Background {
    FvHostImage *image; // null: none
    int32_t width;
};

class FloorPathsTest : public FloorTest {
protected:
    void SetUp() override {
        FloorTest::SetUp();
        // One tile, one tile wide, ordinary, a map wider than the vector paths' 16-bit arithmetic.
        const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {1, 12}, {40, 30}, {7, 3}, {25, 25}, {3, 50}, {2100, 1}};
        for (auto [wide, high] : sizes) maps.push_back({wide, high, randomImage(16 * wide, 16 * high)});
        boundaries = {randomImage(16, 16), randomImage(16, 16), randomImage(8, 8), nullptr};
        backgrounds = {{nullptr, -1},          {randomImage(720, 50), 720}, {randomImage(1000, 240), 1000},
                       {randomImage(7, 3), 7}, {randomImage(0, 0), 0},      {randomImage(320, 300), 320}};
    }

    FvHostImage *randomImage(int32_t width, int32_t height) {
        std::uniform_int_distribution<int32_t> index(0, 255);
        return makeIndexedImage(width, height, [&](int32_t, int32_t) { return uint8_t(index(random)); });
    }

    bool chance(double p) { return std::bernoulli_distribution(p)(random); }
    float uniform(float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); }
    int32_t uniformInt(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); }
    template <class T> T pick(std::initializer_list<T> values) {
        return values.begin()[uniformInt(0, static_cast<int32_t>(values.size()) - 1)];
    }

    float randomScale(float low, float high) {
        if (chance(0.6)) return uniform(low, high);
        if (chance(0.4)) return uniform(-high, high);
        return pick({0.0f, -0.0f, 1e-6f, -3e-4f, 1e20f, 3.4e38f, -3.4e38f, kInfinity, -kInfinity, kNaN});
    }

    int32_t randomRow(int32_t low, int32_t high) {
        if (chance(0.85)) return uniformInt(low, high);
        return pick({INT32_MIN, INT32_MIN + 1, -240, -1, 0, 239, 240, 241, INT32_MAX});
    }

    void randomView() {
        const TestMap &m = maps[uniformInt(0, static_cast<int32_t>(maps.size()) - 1)];
        map.width = m.tilesWide;
        map.height = m.tilesHigh;
        map.pixelWidth = 16 * m.tilesWide;
        map.pixelHeight = 16 * m.tilesHigh;
        view.mapTexture = m.texture;

        view.wrapping = chance(0.5);
        view.boundaryTexture = boundaries[uniformInt(0, static_cast<int32_t>(boundaries.size()) - 1)];
        const Background &b = backgrounds[uniformInt(0, static_cast<int32_t>(backgrounds.size()) - 1)];
        view.usingBackground = chance(0.8);
        view.backgroundImage = b.image;
        view.backgroundWidth = chance(0.9) ? b.width : uniformInt(-5, 2000);
        view.backgroundPixelsPerDegree =
            chance(0.9) ? static_cast<float>(view.backgroundWidth) / 360.0f : randomScale(0.0f, 10.0f);

        const double angle = chance(0.7)   ? uniform(0.0f, 360.0f)
                             : chance(0.7) ? pick({0.0f, 45.0f, 90.0f, 180.0f, 270.0f, 360.0f})
                                           : pick({kNaN, kInfinity, -1e6f, 1e9f, -0.0f});
        view.rotationAngle = static_cast<float>(angle);
        sine = static_cast<float>(std::sin(0.0174532925 * view.rotationAngle));
        cosine = static_cast<float>(std::cos(0.0174532925 * view.rotationAngle));

        view.zValue = randomScale(1.0f, 300.0f);
        view.textureScaleX = randomScale(50.0f, 600.0f);
        view.textureScaleY = chance(0.8) ? view.textureScaleX : randomScale(50.0f, 600.0f);
        view.horizon = randomRow(0, 239);
        view.horizonOffset = chance(0.15) ? -uniformInt(0, 239) : randomRow(-50, 200); // hits r + offset = 0
        view.rotationalOffset = chance(0.9) ? uniform(-1000.0f, 1000.0f) : randomScale(0.0f, 300.0f);

        if (chance(0.7)) {
            placeHero(uniformInt(0, m.tilesWide - 1), uniformInt(0, m.tilesHigh - 1));
        } else if (chance(0.7)) {
            placeHero(uniformInt(-100, m.tilesWide + 100), uniformInt(-100, m.tilesHigh + 100));
        } else if (chance(0.5)) { // up to the vector paths' limit of 2^22 map pixels, and past it
            placeHero(uniformInt(-270000, 270000), uniformInt(-270000, 270000));
        } else {
            placeHero(pick({-100000000, 300000, 100000000}), pick({-100000000, -300000, 100000000}));
        }
        simhost::setScroll(chance(0.8) ? uniformInt(-5000, 5000) : pick({INT32_MIN, INT32_MAX}),
                           chance(0.8) ? uniformInt(-5000, 5000) : pick({INT32_MIN, INT32_MAX}));
    }

    std::string describeView() const {
        std::ostringstream text;
        text.precision(9);
        text << "map " << map.pixelWidth << "x" << map.pixelHeight << " wrapping " << view.wrapping << " angle "
             << view.rotationAngle << " zValue " << view.zValue << " scales " << view.textureScaleX << "/"
             << view.textureScaleY << " horizon " << view.horizon << "+" << view.horizonOffset << " rotationalOffset "
             << view.rotationalOffset << " hero " << heroColumn << "," << heroRow << " background "
             << view.backgroundWidth << " boundary " << (view.boundaryTexture != nullptr);
        return text.str();
    }

    struct Frame {
        ScreenPixels pixels;
        float cameraX;
        float cameraY;
    };

    template <class Draw> Frame drawn(Draw draw) {
        simhost::fillScreen(kUntouched);
        view.cameraX = 160.0f;
        view.cameraY = 120.0f;
        draw();
        return {readScreen(), view.cameraX, view.cameraY};
    }

    // Where the two differ, for the failure message; empty when they are the same.
    static std::string difference(const Frame &expected, const Frame &actual) {
        std::ostringstream text;
        if (expected.cameraX != actual.cameraX || expected.cameraY != actual.cameraY) {
            text << "camera " << actual.cameraX << "," << actual.cameraY << " instead of " << expected.cameraX << ","
                 << expected.cameraY;
        }
        for (size_t i = 0; i < expected.pixels.size(); ++i) {
            if (expected.pixels[i] != actual.pixels[i]) {
                text << " first different pixel at column " << i % 320 << ", row " << i / 320;
                break;
            }
        }
        return text.str();
    }

    std::mt19937 random{20240611};
    std::vector<TestMap> maps;
    std::vector<FvHostImage *> boundaries;
    std::vector<Background> backgrounds;
};

TEST_F(FloorPathsTest, EveryPathPaintsTheReferencesPixels) {
    std::vector<FloorPath> paths;
    for (FloorPath path : {FloorPath::plain, FloorPath::sse2, FloorPath::avx2}) {
        if (farview::floorPathAvailable(path)) paths.push_back(path);
    }
    int32_t failures = 0;
    for (int32_t i = 0; i < kRandomViews && failures < 5; ++i) {
        randomView();
        const Frame expected = drawn([&] { referenceFloor(view, map, sine, cosine); });
        for (FloorPath path : paths) {
            const Frame actual = drawn([&] { farview::renderFloorWith(path, view, map, sine, cosine); });
            const std::string different = difference(expected, actual);
            if (!different.empty()) {
                ADD_FAILURE() << "path " << static_cast<int>(path) << ", view " << i << ": " << describeView() << ": "
                              << different;
                ++failures;
            }
        }
    }
}

// The vector paths decide from each row's first column and step whether the row stays inside the
// map or within one period; rows that end a hair either side of an edge test that judgement.
TEST_F(FloorPathsTest, RowsEndingAtTheMapsEdgesMatchTheReference) {
    std::vector<FloorPath> paths;
    for (FloorPath path : {FloorPath::sse2, FloorPath::avx2}) {
        if (farview::floorPathAvailable(path)) paths.push_back(path);
    }
    view.mapTexture = maps[2].texture; // 640 x 480
    map.pixelWidth = 640;
    map.pixelHeight = 480;
    view.boundaryTexture = boundaries[0];
    placeHero(20, 15); // camera (328, 256)
    int32_t failures = 0;
    for (float angle : {0.0f, 90.0f, 270.0f, 180.0f, 33.0f}) {
        view.rotationAngle = angle;
        sine = static_cast<float>(std::sin(0.0174532925 * angle));
        cosine = static_cast<float>(std::cos(0.0174532925 * angle));
        for (int32_t step = -60; step <= 60 && failures < 5; ++step) {
            // Moves the eye so that the rows sweep across the map's edges in steps of 2^-10.
            view.rotationalOffset = 100.0f + 330.0f * std::fabs(std::sin(static_cast<float>(step) * 0.05f)) +
                                    static_cast<float>(step) * 0.0009765625f;
            for (bool wrapping : {false, true}) {
                view.wrapping = wrapping;
                const Frame expected = drawn([&] { referenceFloor(view, map, sine, cosine); });
                for (FloorPath path : paths) {
                    const Frame actual = drawn([&] { farview::renderFloorWith(path, view, map, sine, cosine); });
                    const std::string different = difference(expected, actual);
                    if (!different.empty()) {
                        ADD_FAILURE() << "path " << static_cast<int>(path) << ": " << describeView() << ": "
                                      << different;
                        ++failures;
                    }
                }
            }
        }
    }
}

TEST_F(FloorPathsTest, TheShippedFloorIsTheWidestPath) {
    for (int32_t i = 0; i < 20; ++i) {
        randomView();
        const Frame widest =
            drawn([&] { farview::renderFloorWith(farview::widestFloorPath(), view, map, sine, cosine); });
        const Frame shipped = drawn([&] { farview::renderFloor(view, map, sine, cosine); });
        EXPECT_EQ(difference(widest, shipped), "") << describeView();
    }
}

// Every x86-64 processor has SSE2: a build of the module without its vector paths would ship the
// slow floor.
TEST(FloorPaths, AnX86BuildShipsAVectorPath) {
#if defined(__x86_64__)
    EXPECT_TRUE(farview::floorPathAvailable(FloorPath::sse2));
    EXPECT_NE(farview::widestFloorPath(), FloorPath::plain);
#else
    GTEST_SKIP() << "not an x86-64 build";
#endif
}

} // namespace
} // namespace farview_test
