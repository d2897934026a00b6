// Bad inputs the frame meets beyond the ones the floor's and the sprite stage's own tests cover: a
// bottom-up screen surface, host objects missing while sprites are placed, a strip of views wider
// than 32-bit columns, host strings with a broken length, and scroll or band values of any size.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "host/host.h"
#include "render/floor.h"
#include "render/floor_scene.h"
#include "render/frame.h"
#include "render/sprite_stage.h"
#include "support/small_game.h"

namespace farview_test {
namespace {

using farview::SpritePlacement;

uint8_t cellIndex(int32_t x, int32_t y) { return static_cast<uint8_t>(1 + ((x & 15) | (y & 15) << 4) % 255); }

float sineAt(float degrees) { return static_cast<float>(std::sin(0.0174532925 * degrees)); }
float cosineAt(float degrees) { return static_cast<float>(std::cos(0.0174532925 * degrees)); }

// ---- A bottom-up screen surface -----------------------------------------------------------------------

// A surface whose rows run upward in memory: row 0 is the last row of the block and the pitch is
// negative. The block holds exactly 240 rows, so a row written outside it is caught by the address
// sanitizer.
struct BottomUpSurface {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(320 * 240, kUntouched);
    int32_t pitch = -640;
    uint16_t at(int32_t x, int32_t y) const { return pixels[size_t(239 - y) * 320 + x]; }
};

BottomUpSurface *bottomUp = nullptr;
unsigned char surfaceToken;
FvHostSurface *const bottomUpLocation = reinterpret_cast<FvHostSurface *>(&surfaceToken);

uint16_t *bottomUpRow(FvHostSurface *, int32_t row) {
    return row == 0 ? bottomUp->pixels.data() + size_t(239) * 320 : nullptr;
}
int32_t bottomUpPitch(FvHostSurface *) { return bottomUp->pitch; }

class BottomUpScreen : public FloorTest {
protected:
    void TearDown() override {
        farview::bindHost(&simhost::hostInterface());
        bottomUp = nullptr;
    }
    void bindBottomUp(BottomUpSurface &surface) {
        bottomUp = &surface;
        table = simhost::hostInterface();
        table.screen = &bottomUpLocation;
        table.surfaceRow = bottomUpRow;
        table.surfacePitch = bottomUpPitch;
        farview::bindHost(&table);
    }
    FvHostInterface table{};
};

TEST_F(BottomUpScreen, ANegativePitchPaintsTheSameRowsUpward) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    view.backgroundImage = makeIndexedImage(360, 50, [](int32_t x, int32_t y) { return uint8_t(1 + (x + y) % 200); });
    view.backgroundWidth = 360;
    view.backgroundPixelsPerDegree = 1.0f;
    for (bool wrapping : {false, true}) {
        view.wrapping = wrapping;
        simhost::fillScreen(kUntouched);
        farview::bindHost(&simhost::hostInterface());
        render();
        const ScreenPixels expected = readScreen();

        BottomUpSurface surface;
        bindBottomUp(surface);
        render();
        for (int32_t y = 0; y < 240; ++y)
            for (int32_t x = 0; x < 320; ++x)
                ASSERT_EQ(surface.at(x, y), at(expected, x, y)) << x << ',' << y << " wrapping " << wrapping;
    }
}

TEST_F(BottomUpScreen, RowsNearerThanOneRowOfPixelsAreNotWrittenUpwardEither) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    BottomUpSurface surface;
    surface.pitch = -639;
    bindBottomUp(surface);
    render();
    EXPECT_EQ(surface.pixels, std::vector<uint16_t>(320 * 240, kUntouched));
}

uint16_t *noRow(FvHostSurface *, int32_t) { return nullptr; }

TEST_F(BottomUpScreen, ASurfaceWithoutARowAddressIsNotWritten) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    BottomUpSurface surface;
    bindBottomUp(surface);
    table.surfaceRow = noRow;
    view.cameraX = 160.0f;
    render();
    EXPECT_EQ(surface.pixels, std::vector<uint16_t>(320 * 240, kUntouched));
    EXPECT_EQ(view.cameraX, 160.0f);
}

// ---- Background band values of any size ---------------------------------------------------------------

// The band's scroll is pixels per degree times the angle, truncated: NaN, infinities and values far
// beyond 32 bits still pick a column of the image, never one outside it.
TEST_F(FloorTest, BandScrollsOfAnySizeShowAColumnOfTheImage) {
    useMap(40, 30, cellIndex);
    placeHero(20, 15);
    view.backgroundImage = makeIndexedImage(360, 50, [](int32_t x, int32_t y) { return uint8_t(1 + (x + y) % 200); });
    view.backgroundWidth = 360;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (float perDegree : {nan, infinity, -infinity, 1e30f, -1e30f, FLT_MAX, -FLT_MAX, 5.96e6f}) {
        for (float angle : {0.0f, 1.0f, 360.0f}) {
            simhost::fillScreen(kUntouched);
            view.backgroundPixelsPerDegree = perDegree;
            view.rotationAngle = angle;
            render();
            const ScreenPixels screen = readScreen();
            for (int32_t y = 0; y < 50; ++y)
                for (int32_t x = 0; x < 320; ++x) {
                    const int32_t index = indexOfColour(at(screen, x, y));
                    ASSERT_GE(index, 1) << perDegree << " at " << angle << ": " << x << ',' << y;
                    ASSERT_LE(index, 200) << perDegree << " at " << angle << ": " << x << ',' << y;
                }
        }
    }
}

// ---- Scroll and positions at the edge of 32 bits --------------------------------------------------------

// The camera point and every sprite position add a screen position and a scroll; at the ends of the
// int32 range those sums are made in 64 bits, so nothing overflows and the frame is still painted.
TEST_F(FloorTest, ScrollAndPositionsAtTheEndsOfTheirRangeDrawWithoutOverflow) {
    useMap(40, 30, cellIndex);
    registry.placementsMapId = simhost::hero().mapId;
    registry.imageCache["CharSet/hero.png"] = makeOneColourImage(288, 256, 3, 0xff0000);
    simhost::setSheetName(simhost::hero(), "hero");
    FvHostCharacter &event = simhost::addEvent(1, INT32_MIN, INT32_MAX);
    farview::appendPlacement(registry, farview::placedHero());
    farview::appendPlacement(registry, farview::placedEvent(event.id));
    view.mode7Rendering = true;
    const int32_t ends[] = {INT32_MIN, -1, 0, INT32_MAX};
    for (int32_t scroll : ends) {
        for (int32_t cell : ends) {
            simhost::fillScreen(kUntouched);
            simhost::setScroll(scroll, ~scroll);
            simhost::hero().mapColumn = cell;
            simhost::hero().mapRow = ~cell;
            farview::renderFrame(view, map, registry);
            EXPECT_NE(indexOfColour(simhost::screenPixel(0, 239)), -1) << scroll << ' ' << cell;
        }
    }
}

// ---- The sprite stage without its host objects -------------------------------------------------------------

constexpr uint16_t kBackdrop = 0x0841;

// The hero on cell (9, 6) of a 20 x 15 map, standing at the camera point with a one-colour picture.
class SpriteFaults : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        simhost::setMapSize(20, 15);
        simhost::hero().mapColumn = 9;
        simhost::hero().mapRow = 6;
        view.cameraX = 152.0f;
        view.cameraY = 112.0f;
        map.pixelWidth = 320;
        map.pixelHeight = 240;
        registry.placementsMapId = simhost::hero().mapId;
        registry.imageCache["one.png"] = makeOneColourImage(24, 32, 5, 0x00ff00);
        hero = &place(farview::placedHero());
        hero->definition = std::make_shared<farview::SpriteDefinition>();
        hero->definition->imageName = "one.png";
        simhost::fillScreen(kBackdrop);
    }
    void TearDown() override { farview::bindHost(&simhost::hostInterface()); }

    SpritePlacement &place(farview::PlacedCharacter who) { return farview::appendPlacement(registry, who); }
    void bindWith(const FvHostInterface &changed) {
        table = changed;
        farview::bindHost(&table);
    }
    void render() {
        farview::renderSprites(view, map, registry, sineAt(view.rotationAngle), cosineAt(view.rotationAngle));
    }

    farview::ViewState view;
    farview::MapRecord map;
    farview::SpriteRegistry registry;
    SpritePlacement *hero = nullptr;
    FvHostInterface table{};
};

FvHostCharacter *const noHero = nullptr;
FvHostMapView *const noMapView = nullptr;
FvHostSurface *const noScreen = nullptr;

TEST_F(SpriteFaults, WithoutAHeroAMapViewOrAScreenNoPlacementIsProjectedOrDrawn) {
    render();
    ASSERT_EQ(hero->screenY, 208); // drawn with the whole host
    ASSERT_NE(simhost::screenPixel(160, 200), kBackdrop);

    FvHostInterface withoutHero = simhost::hostInterface();
    withoutHero.hero = &noHero;
    FvHostInterface withoutMapView = simhost::hostInterface();
    withoutMapView.mapView = &noMapView;
    FvHostInterface withoutScreen = simhost::hostInterface();
    withoutScreen.screen = &noScreen;
    FvHostInterface withNoScreenLocation = simhost::hostInterface();
    withNoScreenLocation.screen = nullptr;
    for (const FvHostInterface *changed : {&withoutHero, &withoutMapView, &withoutScreen, &withNoScreenLocation}) {
        hero->screenY = 0;
        simhost::fillScreen(kBackdrop);
        bindWith(*changed);
        render();
        EXPECT_EQ(hero->screenY, 0);
        EXPECT_EQ(simhost::screenPixel(160, 200), kBackdrop);
    }
}

// ---- A strip wider than 32-bit columns -----------------------------------------------------------------------

struct DrawCall {
    int32_t sourceX;
    int32_t sourceWidth;
};
std::vector<DrawCall> *drawCalls = nullptr;

void recordDraw(FvHostSurface *, int32_t, int32_t, FvHostImage *, FvRect source) {
    drawCalls->push_back({source.x, source.width});
}
void recordStretch(FvHostSurface *, FvRect, FvHostImage *, FvRect source) {
    drawCalls->push_back({source.x, source.width});
}

// With 65535 views of 65535 columns each, the view to show can start beyond column 2^31 - 1: such
// a view is not drawn, rather than drawn from a column that wrapped round to a negative one.
TEST_F(SpriteFaults, AStripViewBeyond32BitColumnsIsNotDrawn) {
    std::vector<DrawCall> calls;
    drawCalls = &calls;
    FvHostInterface recording = simhost::hostInterface();
    recording.drawImage = recordDraw;
    recording.stretchDrawImage = recordStretch;
    bindWith(recording);

    farview::SpriteDefinition &strip = *hero->definition;
    strip.directions = 65535;
    strip.mode = farview::kSpriteDirectional;
    strip.followsFacing = false;
    hero->width = 65535;

    view.rotationAngle = 270.0f; // view 0
    render();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].sourceX, 0);
    EXPECT_EQ(calls[0].sourceWidth, 65535);

    calls.clear();
    view.rotationAngle = 0.0f; // view 49151, whose first column is 3 221 110 785
    render();
    EXPECT_TRUE(calls.empty());

    calls.clear();
    view.rotationAngle = 180.0f; // view 16384, first column 1 073 725 440: still within 32 bits
    render();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].sourceX, 16384 * 65535);
    drawCalls = nullptr;
}

// ---- Host strings -------------------------------------------------------------------------------------------

// A sheet name is read by the length in front of it; a negative length reads as the empty name
// (a character shown as a tile), never as a huge unsigned one.
TEST(HostStrings, ANegativeLengthOrNoStringIsTheEmptyText) {
    alignas(int32_t) char block[12] = {};
    const int32_t negative = -5;
    std::memcpy(block, &negative, sizeof negative);
    std::memcpy(block + 4, "hero", 5);
    EXPECT_EQ(farview::hostStringText(block + 4), "");
    EXPECT_EQ(farview::hostStringText(nullptr), "");
    const int32_t four = 4;
    std::memcpy(block, &four, sizeof four);
    EXPECT_EQ(farview::hostStringText(block + 4), "hero");
}

} // namespace
} // namespace farview_test
