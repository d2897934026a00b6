// The floor's rules as a player sees them: which ground point each pixel shows, the band, the
// frame driver's angle.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "render/floor.h"
#include "render/floor_rows.h"
#include "render/floor_scene.h"
#include "render/frame.h"

namespace farview_test {
namespace {

uint8_t columnIndex(int32_t x, int32_t) { return static_cast<uint8_t>(x & 255); }
uint8_t rowIndex(int32_t, int32_t y) { return static_cast<uint8_t>(y & 255); }
uint8_t cellIndex(int32_t x, int32_t y) { return static_cast<uint8_t>((x & 15) | (y & 15) << 4); }

float frameSine(double degrees) { return static_cast<float>(std::sin(0.0174532925 * degrees)); }
float frameCosine(double degrees) { return static_cast<float>(std::cos(0.0174532925 * degrees)); }

int32_t shownIndex(int32_t x, int32_t y) { return indexOfColour(simhost::screenPixel(x, y)); }

// ---- Camera point --------------------------------------------------------------------------------

TEST_F(FloorTest, CameraIsTheHerosScreenPositionPlusTheScrollDividedBy16TowardZero) {
    useMap(20, 20, cellIndex);
    placeHero(10, 7);
    simhost::setScroll(-17, 33); // -17 / 16 is -1 toward zero, -2 downward
    render();
    EXPECT_EQ(view.cameraX, 168.0f);
    EXPECT_EQ(view.cameraY, 128.0f);
}

// ---- Where the rows look -------------------------------------------------------------------------

TEST(FloorRows, WithTheDefaultsTheGroundRunsFrom312OnRow50To88Point6OnRow239) {
    farview::ViewState view;
    view.cameraX = 0.0f;
    view.cameraY = 0.0f;
    // At angle 0, u at column 0 is z - rotationalOffset and v steps by s per column.
    const farview::FloorRow top = farview::floorRowStart(view, 0.0f, 1.0f, 50);
    EXPECT_EQ(top.u, 212.0f);
    EXPECT_EQ(top.dv, static_cast<float>(1.2));
    const farview::FloorRow bottom = farview::floorRowStart(view, 0.0f, 1.0f, 239);
    EXPECT_EQ(bottom.u, static_cast<float>(90.0 * 260.0 / 264.0 - 100.0));
    EXPECT_EQ(bottom.dv, static_cast<float>(90.0 * 260.0 / 264.0 / 260.0));
    EXPECT_EQ(farview::floorRowStart(view, 0.0f, 1.0f, 209).u, 0.0f); // z = 100 = rotationalOffset
}

TEST_F(FloorTest, WithTheDefaultViewRow209Column160ShowsTheGroundSixPixelsAboveTheCamera) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15); // camera (328, 256)
    view.mode7Rendering = true;
    farview::renderFrame(view, map, registry);
    const int32_t shown = shownIndex(160, 209);
    ASSERT_GE(shown, 0);
    // Up to rounding: the sum of 160 steps may land a hair either side of the texel's edge.
    EXPECT_NEAR(shown & 15, 328 & 15, 1);
    EXPECT_NEAR(shown >> 4, (256 - 6) & 15, 1);
}

TEST_F(FloorTest, AtAngle270RightIsPlusXAndHigherRowsShowSmallerY) {
    useMap(40, 30, columnIndex);
    placeHero(20, 7); // camera (328, 128)
    view.rotationAngle = 270.0f;
    farview::renderFrame(view, map, registry);
    EXPECT_GT(shownIndex(200, 209), shownIndex(120, 209));
    EXPECT_NEAR(shownIndex(160, 100), shownIndex(160, 209), 1);

    useMap(40, 30, rowIndex);
    farview::renderFrame(view, map, registry);
    EXPECT_LT(shownIndex(160, 100), shownIndex(160, 209));
    EXPECT_EQ(shownIndex(200, 209), shownIndex(120, 209));
}

TEST_F(FloorTest, AtAngle0RightIsPlusYAndHigherRowsShowLargerX) {
    useMap(40, 30, rowIndex);
    placeHero(20, 7);
    view.rotationAngle = 0.0f;
    farview::renderFrame(view, map, registry);
    EXPECT_GT(shownIndex(200, 209), shownIndex(120, 209));

    useMap(40, 30, columnIndex);
    farview::renderFrame(view, map, registry);
    EXPECT_GT(shownIndex(160, 100), shownIndex(160, 209));
    EXPECT_EQ(shownIndex(200, 209), shownIndex(120, 209));
}

// ---- Wrapping ------------------------------------------------------------------------------------

TEST_F(FloorTest, WrappingRepeatsTheMapEveryWMinus1Columns) {
    view.wrapping = true;
    useMap(20, 20, columnIndex); // W = 320
    placeHero(0, 0);             // u = c - 152
    probeLastRow(1.0f, 5.5f);
    render();
    EXPECT_EQ(shownIndex(151, 239), 318 & 255); // u = -1
    EXPECT_EQ(shownIndex(152, 239), 0);         // u = 0

    placeHero(10, 0); // u = c + 8
    probeLastRow(1.0f, 5.5f);
    render();
    EXPECT_EQ(shownIndex(310, 239), 318 & 255); // u = 318
    EXPECT_EQ(shownIndex(311, 239), 0);         // u = 319
}

TEST_F(FloorTest, WrappingRepeatsTheMapEveryHMinus1Rows) {
    view.wrapping = true;
    useMap(20, 20, rowIndex); // H = 320
    placeHero(10, 0);
    probeLastRow(1.0f, -1.0f);
    render();
    EXPECT_EQ(shownIndex(100, 239), 318 & 255);
    probeLastRow(1.0f, 319.25f);
    render();
    EXPECT_EQ(shownIndex(100, 239), 0);
}

TEST_F(FloorTest, WrappingNeverShowsTheMapsLastColumnOrRow) {
    view.wrapping = true;
    useMap(8, 6, [](int32_t x, int32_t y) { return x == 127 || y == 95 ? uint8_t{255} : uint8_t((x + y) % 255); });
    placeHero(7, 5);
    const uint16_t lastColour = simhost::rgb565(indexColour(255));
    for (float angle : {0.0f, 45.0f, 133.0f, 270.0f}) {
        view.rotationAngle = angle;
        farview::renderFrame(view, map, registry);
        const ScreenPixels screen = readScreen();
        for (int32_t y = view.horizon; y < 240; ++y) {
            for (int32_t x = 0; x < 320; ++x) ASSERT_NE(at(screen, x, y), lastColour) << angle << " " << x << "," << y;
        }
    }
}

// ---- The boundary texture ------------------------------------------------------------------------

class BoundaryTest : public FloorTest {
protected:
    void SetUp() override {
        FloorTest::SetUp();
        useMap(20, 20, [](int32_t, int32_t) { return uint8_t{255}; }); // W = H = 320
        view.boundaryTexture = makeIndexedImage(16, 16, cellIndex);
    }
    static constexpr int32_t kMap = 255;
};

TEST_F(BoundaryTest, TruncationTowardZeroMakesBoundaryColumn0TwoPixelsWide) {
    placeHero(0, 0); // u = 8 + (c - 160) / 2
    probeLastRow(0.5f, 5.5f);
    render();
    EXPECT_EQ(shownIndex(141, 239), 15 | 5 << 4); // u = -1.5
    EXPECT_EQ(shownIndex(142, 239), 15 | 5 << 4); // u = -1
    EXPECT_EQ(shownIndex(143, 239), 0 | 5 << 4);  // u = -0.5
    EXPECT_EQ(shownIndex(144, 239), kMap);        // u = 0
}

TEST_F(BoundaryTest, TheMapsLastColumnCountsAsOutside) {
    placeHero(10, 0); // u = c + 8
    probeLastRow(1.0f, 5.5f);
    render();
    EXPECT_EQ(shownIndex(310, 239), kMap);        // u = 318
    EXPECT_EQ(shownIndex(311, 239), 15 | 5 << 4); // u = 319 = W - 1
    EXPECT_EQ(shownIndex(312, 239), 0 | 5 << 4);  // u = 320
}

TEST_F(BoundaryTest, RowsFollowTheSameRulesAsColumns) {
    placeHero(10, 0);
    const int32_t x = 100; // u = 108
    probeLastRow(1.0f, -0.5f);
    render();
    EXPECT_EQ(shownIndex(x, 239), 108 & 15);
    probeLastRow(1.0f, -1.5f);
    render();
    EXPECT_EQ(shownIndex(x, 239), (108 & 15) | 15 << 4);
    probeLastRow(1.0f, 318.75f);
    render();
    EXPECT_EQ(shownIndex(x, 239), kMap);
    probeLastRow(1.0f, 319.0f);
    render();
    EXPECT_EQ(shownIndex(x, 239), (108 & 15) | 15 << 4);
}

// ---- The background band -------------------------------------------------------------------------

TEST_F(FloorTest, WithoutABackgroundImageTheBandIsBlack) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    render();
    const ScreenPixels screen = readScreen();
    for (int32_t y = 0; y < 50; ++y) {
        for (int32_t x = 0; x < 320; ++x) ASSERT_EQ(at(screen, x, y), 0) << x << "," << y;
    }
    EXPECT_NE(at(screen, 160, 50), kUntouched);
}

TEST_F(FloorTest, WithUsingBackgroundOffTheBandKeepsTheHostsPixels) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    view.usingBackground = false;
    render();
    const ScreenPixels screen = readScreen();
    for (int32_t y = 0; y < 50; ++y) {
        for (int32_t x = 0; x < 320; ++x) ASSERT_EQ(at(screen, x, y), kUntouched) << x << "," << y;
    }
    for (int32_t x = 0; x < 320; ++x) ASSERT_NE(at(screen, x, 50), kUntouched) << x;
}

class BandTest : public FloorTest {
protected:
    void SetUp() override {
        FloorTest::SetUp();
        useMap(40, 30, cellIndex);
        placeHero(20, 15);
        view.backgroundImage =
            makeIndexedImage(720, 50, [](int32_t x, int32_t y) { return uint8_t((x + 7 * y) % 251); });
        view.backgroundWidth = 720;
        view.backgroundPixelsPerDegree = 720 / 360.0f;
    }
    int32_t imageIndex(int32_t x, int32_t y) const { return (x % 720 + 7 * y) % 251; }
};

TEST_F(BandTest, TheBandShowsTheImageOneToOneScrolledByTheAngle) {
    view.rotationAngle = 45.0f;
    render();
    EXPECT_EQ(shownIndex(0, 0), imageIndex(90, 0));
    EXPECT_EQ(shownIndex(319, 0), imageIndex(409, 0));
    EXPECT_EQ(shownIndex(17, 49), imageIndex(107, 49));
}

TEST_F(BandTest, TheBandWrapsAroundTheImagesWidth) {
    view.rotationAngle = 300.0f; // offset 600
    render();
    EXPECT_EQ(shownIndex(119, 3), imageIndex(719, 3));
    EXPECT_EQ(shownIndex(120, 3), imageIndex(0, 3));
}

TEST_F(BandTest, AFullTurnShowsTheBandAsAtAngle0) {
    view.rotationAngle = 0.0f;
    render();
    const ScreenPixels atZero = readScreen();
    view.rotationAngle = 360.0f;
    render();
    const ScreenPixels atFullTurn = readScreen();
    for (int32_t y = 0; y < 50; ++y) {
        for (int32_t x = 0; x < 320; ++x) ASSERT_EQ(at(atZero, x, y), at(atFullTurn, x, y)) << x << "," << y;
    }
}

TEST_F(FloorTest, Horizon240PaintsOnlyTheBand) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    view.horizon = 240;
    view.backgroundImage = makeIndexedImage(320, 240, [](int32_t, int32_t y) { return uint8_t(y); });
    view.backgroundWidth = 320;
    view.backgroundPixelsPerDegree = 320 / 360.0f;
    render();
    for (int32_t y = 0; y < 240; ++y) EXPECT_EQ(shownIndex(5, y), y);
}

// ---- The screen surface --------------------------------------------------------------------------

TEST_F(FloorTest, AnOddRowPitchIsRoundedDownToEven) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    simhost::setScreenPitch(704);
    render();
    const ScreenPixels expected = readScreen();

    simhost::setScreenPitch(705);
    simhost::fillScreen(kUntouched);
    render();
    const auto *firstRow = reinterpret_cast<const unsigned char *>(simhost::surfaceRow(simhost::screen(), 0));
    for (int32_t y = 0; y < 240; ++y) {
        uint16_t row[320];
        std::memcpy(row, firstRow + y * 704, sizeof row);
        for (int32_t x = 0; x < 320; ++x) ASSERT_EQ(row[x], at(expected, x, y)) << x << "," << y;
    }
}

// ---- The frame driver ----------------------------------------------------------------------------

TEST_F(FloorTest, TheFrameHandsTheFloorTheAnglesSineAndCosineRoundedToFloat) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    view.wrapping = true;
    // The eye so far back that the cosine's tiny value at 270 degrees (about -5.4e-9, since the
    // factor is a little under pi / 180) moves the floor by whole pixels.
    view.rotationalOffset = 1e9f;
    for (float angle : {270.0f, 0.0f, 360.0f, 123.25f}) {
        view.rotationAngle = angle;
        farview::renderFrame(view, map, registry);
        const ScreenPixels framed = readScreen();
        farview::renderFloor(view, map, frameSine(angle), frameCosine(angle));
        EXPECT_EQ(framed, readScreen()) << angle;
    }
    view.rotationAngle = 270.0f;
    farview::renderFrame(view, map, registry);
    const ScreenPixels framed = readScreen();
    farview::renderFloor(view, map, -1.0f, 0.0f);
    EXPECT_NE(framed, readScreen());
}

TEST_F(FloorTest, OnlyTheViewsPictureRendersAndOnlyWhileDrawingIsOn) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    const ScreenPixels untouched = readScreen();
    const FvDrawnPicture picture1{0, 1}, picture2{0, 2};

    view.mode7Rendering = true;
    farview::pictureDrawn(view, map, registry, &picture2);
    EXPECT_EQ(readScreen(), untouched) << "picture 2 is not the view's picture";
    farview::pictureDrawn(view, map, registry, nullptr);
    EXPECT_EQ(readScreen(), untouched);

    view.mode7Rendering = false;
    farview::pictureDrawn(view, map, registry, &picture1);
    EXPECT_EQ(readScreen(), untouched) << "drawing is off";

    view.mode7Rendering = true;
    farview::pictureDrawn(view, map, registry, &picture1);
    EXPECT_NE(readScreen(), untouched);

    view.mode7PictureId = 2;
    farview::renderFrame(view, map, registry);
    const ScreenPixels rendered = readScreen();
    simhost::fillScreen(kUntouched);
    farview::pictureDrawn(view, map, registry, &picture2);
    EXPECT_EQ(readScreen(), rendered) << "the picture number is read from bytes 4 to 7";
}

TEST_F(FloorTest, WithoutAMapTextureTheFrameDrawsNothing) {
    placeHero(3, 3);
    view.mode7Rendering = true;
    farview::renderFrame(view, map, registry);
    EXPECT_EQ(readScreen(), ScreenPixels(320 * 240, kUntouched));
    EXPECT_EQ(view.cameraX, 160.0f);
    EXPECT_EQ(view.cameraY, 120.0f);
}

} // namespace
} // namespace farview_test
