// What the floor does where its rules alone would read or write outside an image or the screen:
// it draws nothing, or black, and never touches memory it does not own.
#include <limits>

#include <gtest/gtest.h>

#include "render/floor.h"
#include "render/floor_scene.h"

namespace farview_test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

uint8_t cellIndex(int32_t x, int32_t y) { return static_cast<uint8_t>((x & 15) | (y & 15) << 4); }

bool untouched(const ScreenPixels &screen) { return screen == ScreenPixels(320 * 240, kUntouched); }

bool rowIs(const ScreenPixels &screen, int32_t y, uint16_t colour) {
    for (int32_t x = 0; x < 320; ++x) {
        if (at(screen, x, y) != colour) return false;
    }
    return true;
}

class UnsafeFloorTest : public FloorTest {
protected:
    void SetUp() override {
        FloorTest::SetUp();
        useMap(40, 30, cellIndex);
        placeHero(20, 15);
    }

    void expectNothingDrawn() {
        view.cameraX = 160.0f;
        view.cameraY = 120.0f;
        render();
        EXPECT_TRUE(untouched(readScreen()));
        EXPECT_EQ(view.cameraX, 160.0f);
        EXPECT_EQ(view.cameraY, 120.0f);
    }
};

// ---- No map texture to read ----------------------------------------------------------------------

TEST_F(UnsafeFloorTest, WithoutAMapTextureNothingIsDrawn) {
    view.mapTexture = nullptr;
    expectNothingDrawn();
}

TEST_F(UnsafeFloorTest, AMapOfSizeZeroDrawsNothing) {
    map.pixelWidth = map.pixelHeight = 0;
    view.mapTexture = makeIndexedImage(0, 0, cellIndex);
    expectNothingDrawn();
}

TEST_F(UnsafeFloorTest, ATextureOfAnotherSizeThanTheMapIsNotRead) {
    view.mapTexture = makeIndexedImage(320, 480, cellIndex); // the map is 640 x 480
    expectNothingDrawn();
    view.mapTexture = makeIndexedImage(640, 479, cellIndex);
    expectNothingDrawn();
}

TEST_F(UnsafeFloorTest, ATextureWithoutPixelsIsNotRead) {
    FvHostImage empty{};
    empty.width = map.pixelWidth;
    empty.height = map.pixelHeight;
    view.mapTexture = &empty;
    expectNothingDrawn();
}

// ---- No host objects -----------------------------------------------------------------------------

class MissingHostObjectTest : public UnsafeFloorTest {
protected:
    void TearDown() override { farview::bindHost(&simhost::hostInterface()); }
    void bindWith(FvHostInterface changed) {
        table = changed;
        farview::bindHost(&table);
    }
    FvHostInterface table{};
};

FvHostCharacter *const noHero = nullptr;
FvHostMapView *const noMapView = nullptr;
FvHostSurface *const noScreen = nullptr;

TEST_F(MissingHostObjectTest, WithoutAHeroNothingIsDrawn) {
    FvHostInterface changed = simhost::hostInterface();
    changed.hero = &noHero;
    bindWith(changed);
    expectNothingDrawn();
}

TEST_F(MissingHostObjectTest, WithoutAMapViewNothingIsDrawn) {
    FvHostInterface changed = simhost::hostInterface();
    changed.mapView = &noMapView;
    bindWith(changed);
    expectNothingDrawn();
}

TEST_F(MissingHostObjectTest, WithoutAScreenNothingIsDrawn) {
    FvHostInterface changed = simhost::hostInterface();
    changed.screen = &noScreen;
    bindWith(changed);
    expectNothingDrawn();
    changed.screen = nullptr;
    bindWith(changed);
    expectNothingDrawn();
}

TEST_F(MissingHostObjectTest, RowsNearerThanOneRowOfPixelsAreNotWritten) {
    FvHostInterface changed = simhost::hostInterface();
    changed.surfacePitch = [](FvHostSurface *) -> int32_t { return 639; };
    bindWith(changed);
    expectNothingDrawn();
}

// ---- Nothing outside the map to show -------------------------------------------------------------

TEST_F(UnsafeFloorTest, WithoutWrappingOrABoundaryTextureOutsideTheMapIsBlack) {
    placeHero(0, 0); // u = c - 152
    probeLastRow(1.0f, 5.5f);
    render();
    for (int32_t x = 0; x < 152; ++x) EXPECT_EQ(simhost::screenPixel(x, 239), 0) << x;
    EXPECT_NE(simhost::screenPixel(152, 239), 0);
}

TEST_F(UnsafeFloorTest, ABoundaryTextureSmallerThan16By16CountsAsNone) {
    view.boundaryTexture = makeIndexedImage(8, 8, [](int32_t, int32_t) { return uint8_t{200}; });
    placeHero(0, 0);
    probeLastRow(1.0f, 5.5f);
    render();
    for (int32_t x = 0; x < 152; ++x) EXPECT_EQ(simhost::screenPixel(x, 239), 0) << x;
}

TEST_F(UnsafeFloorTest, WrappingAMapOnePixelWideShowsBlack) {
    map.pixelWidth = 1;
    view.mapTexture = makeIndexedImage(1, 480, cellIndex);
    view.wrapping = true;
    render();
    EXPECT_TRUE(rowIs(readScreen(), 239, 0));
}

// ---- A background image too small for the band ---------------------------------------------------

TEST_F(UnsafeFloorTest, ABackgroundNarrowerThanOnePixelLeavesTheBandBlack) {
    view.backgroundImage = makeIndexedImage(0, 0, cellIndex);
    view.backgroundWidth = 0;
    view.backgroundPixelsPerDegree = 0.0f;
    render();
    for (int32_t y = 0; y < 50; ++y) EXPECT_TRUE(rowIs(readScreen(), y, 0)) << y;

    view.backgroundImage = makeIndexedImage(320, 50, cellIndex);
    view.backgroundWidth = -1; // as before any background was set
    render();
    for (int32_t y = 0; y < 50; ++y) EXPECT_TRUE(rowIs(readScreen(), y, 0)) << y;
}

TEST_F(UnsafeFloorTest, BandRowsBelowTheBackgroundImageAreBlack) {
    view.backgroundImage = makeIndexedImage(320, 10, [](int32_t, int32_t) { return uint8_t{77}; });
    view.backgroundWidth = 320;
    view.backgroundPixelsPerDegree = 320 / 360.0f;
    render();
    const ScreenPixels screen = readScreen();
    const uint16_t imageColour = simhost::rgb565(indexColour(77));
    for (int32_t y = 0; y < 10; ++y) EXPECT_TRUE(rowIs(screen, y, imageColour)) << y;
    for (int32_t y = 10; y < 50; ++y) EXPECT_TRUE(rowIs(screen, y, 0)) << y;
}

TEST_F(UnsafeFloorTest, BandColumnsBeyondTheBackgroundImagesWidthAreBlack) {
    view.backgroundImage = makeIndexedImage(100, 50, [](int32_t, int32_t) { return uint8_t{77}; });
    view.backgroundWidth = 200; // wider than the image it names
    view.backgroundPixelsPerDegree = 0.0f;
    render();
    const uint16_t imageColour = simhost::rgb565(indexColour(77));
    EXPECT_EQ(simhost::screenPixel(99, 20), imageColour);
    EXPECT_EQ(simhost::screenPixel(100, 20), 0);
    EXPECT_EQ(simhost::screenPixel(199, 20), 0);
    EXPECT_EQ(simhost::screenPixel(200, 20), imageColour);
}

// ---- View values of any size ---------------------------------------------------------------------

TEST_F(UnsafeFloorTest, AnyHorizonStaysWithinThe240Rows) {
    useMap(40, 30, [](int32_t, int32_t) { return uint8_t{9}; }); // the floor is never black
    view.boundaryTexture = makeIndexedImage(16, 16, [](int32_t, int32_t) { return uint8_t{9}; });
    for (int32_t horizon : {INT32_MIN, -1, 0, 1, 239, 240, 241, INT32_MAX}) {
        for (int32_t offset : {INT32_MIN, -239, -1, 0, 25, INT32_MAX}) {
            simhost::fillScreen(kUntouched);
            view.horizon = horizon;
            view.horizonOffset = offset;
            render();
            const ScreenPixels screen = readScreen();
            // Band rows are black here and floor rows never are; every row is painted.
            EXPECT_EQ(rowIs(screen, 0, 0), horizon >= 1) << horizon << " " << offset;
            EXPECT_EQ(rowIs(screen, 239, 0), horizon >= 240) << horizon << " " << offset;
            for (int32_t y = 0; y < 240; ++y) EXPECT_FALSE(rowIs(screen, y, kUntouched)) << y;
        }
    }
}

TEST_F(UnsafeFloorTest, NaNCoordinatesShowTexelZero) {
    useMap(40, 30, [](int32_t x, int32_t y) { return x == 0 && y == 0 ? uint8_t{99} : uint8_t{5}; });
    view.zValue = kNaN;
    view.wrapping = true;
    render();
    const uint16_t firstTexel = simhost::rgb565(indexColour(99));
    for (int32_t y = 50; y < 240; ++y) EXPECT_TRUE(rowIs(readScreen(), y, firstTexel)) << y;
}

TEST_F(UnsafeFloorTest, InfiniteAndHugeValuesAreDrawnWithoutFault) {
    for (float value : {kInfinity, -kInfinity, 3.4e38f, -3.4e38f, 1e-38f, 0.0f}) {
        for (bool wrapping : {false, true}) {
            view = farview::ViewState{};
            useMap(40, 30, cellIndex);
            view.wrapping = wrapping;
            view.zValue = value;
            render();
            view.zValue = 90.0f;
            view.textureScaleX = value;
            render();
            view.textureScaleX = 260.0f;
            view.rotationalOffset = value;
            render();
            sine = value;
            render();
            sine = -1.0f;
        }
    }
    EXPECT_FALSE(rowIs(readScreen(), 239, kUntouched));
}

} // namespace
} // namespace farview_test
