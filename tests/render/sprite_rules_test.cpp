// The sprite stage's rules: where a placement lands, which ones are drawn and in what order, and
// which part of which image stands for it.
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "render/frame.h"
#include "render/sprite_stage.h"
#include "support/host_fixture.h"
#include "support/small_game.h"

namespace {

using farview::SpritePlacement;

// The frame driver's direction of view at 270 degrees: sine -1, cosine a tiny non-zero value.
float sineAt(float degrees) { return static_cast<float>(std::sin(0.0174532925 * degrees)); }
float cosineAt(float degrees) { return static_cast<float>(std::cos(0.0174532925 * degrees)); }

farview::SpriteFrame frameAt(float degrees) {
    farview::SpriteFrame frame;
    frame.sine = sineAt(degrees);
    frame.cosine = cosineAt(degrees);
    return frame;
}

// ---- Projection -----------------------------------------------------------------------------------

TEST(SpriteProjection, TheHeroAtTheCameraPointStandsMidScreenOnRow208) {
    farview::ViewState view; // camera (160, 120), defaults throughout
    farview::SpriteFrame frame = frameAt(270.0f);
    SpritePlacement hero;
    farview::projectPlacement(view, frame, {160, 120, 0, 0}, hero);
    EXPECT_EQ(hero.screenX, 160);
    EXPECT_EQ(hero.screenY, 208);
    EXPECT_EQ(hero.scaledWidth, 28);
    EXPECT_EQ(hero.scaledHeight, 38);
}

TEST(SpriteProjection, ACharacterAcrossTheWrappedEdgeStandsOneMapFurtherLeft) {
    farview::ViewState view;
    farview::SpriteFrame frame = frameAt(0.0f);
    frame.hero = {100, 120, 10, 7};
    frame.mapPixelWidth = 640;
    frame.mapPixelHeight = 480;
    SpritePlacement across, moved;
    farview::projectPlacement(view, frame, {200, 120, 2, 7}, across); // right on screen, left on the map
    farview::projectPlacement(view, frame, {200 - 640, 120, 2, 7}, moved);
    EXPECT_EQ(across.screenX, moved.screenX);
    EXPECT_EQ(across.screenY, moved.screenY);
    EXPECT_EQ(across.scaledWidth, moved.scaledWidth);

    SpritePlacement mirror, unmoved;
    farview::projectPlacement(view, frame, {50, 120, 20, 7}, mirror); // left on screen, right on the map
    farview::projectPlacement(view, frame, {50, 120, 10, 7}, unmoved);
    EXPECT_EQ(mirror.screenX, unmoved.screenX);
    EXPECT_EQ(mirror.screenY, unmoved.screenY);
}

TEST(SpriteProjection, ACharacterAboveTheWrappedEdgeStandsOneMapFurtherUp) {
    farview::ViewState view;
    farview::SpriteFrame frame = frameAt(270.0f);
    frame.hero = {160, 100, 10, 10};
    frame.mapPixelWidth = 640;
    frame.mapPixelHeight = 480;
    SpritePlacement across, moved;
    farview::projectPlacement(view, frame, {160, 150, 10, 3}, across);
    farview::projectPlacement(view, frame, {160, 150 - 480, 10, 3}, moved);
    EXPECT_EQ(across.screenY, moved.screenY);
    EXPECT_EQ(across.scaledHeight, moved.scaledHeight);
}

TEST(SpriteProjection, ASpriteBehindTheEyeGetsANegativeRowStoredUnsigned) {
    farview::ViewState view;
    farview::SpriteFrame frame = frameAt(270.0f);
    SpritePlacement behind;
    farview::projectPlacement(view, frame, {160, 300, 0, 0}, behind); // depth -79.999
    EXPECT_GT(behind.screenY, 65000);
    EXPECT_EQ(behind.screenY, static_cast<uint16_t>(static_cast<int32_t>(90.0f * 260.0f / -79.999f - 25.0f)));
}

TEST(SpriteProjection, ADefinitionsOffsetsMoveThePointProjected) {
    farview::ViewState view;
    farview::SpriteFrame frame = frameAt(270.0f);
    SpritePlacement offset, moved;
    offset.definition = std::make_shared<farview::SpriteDefinition>();
    offset.definition->offsetX = 10;
    offset.definition->offsetY = 20;
    farview::projectPlacement(view, frame, {160, 100, 0, 0}, offset);
    farview::projectPlacement(view, frame, {170, 120, 0, 0}, moved);
    EXPECT_EQ(offset.screenX, moved.screenX);
    EXPECT_EQ(offset.screenY, moved.screenY);
}

// The float sum plus the double bias 0.001 can never be exactly 0 (no float lies within a float's
// smallest step of -0.001), so NaN is the case that reaches the guard.
TEST(SpriteProjection, ANaNProjectionIsMarkedNeverToBeDrawn) {
    farview::ViewState view;
    view.zValue = std::numeric_limits<float>::quiet_NaN();
    SpritePlacement notANumber;
    farview::projectPlacement(view, frameAt(270.0f), {160, 120, 0, 0}, notANumber);
    EXPECT_EQ(notANumber.screenY, 0xFFFF);
    EXPECT_EQ(notANumber.scaledWidth, 0);

    farview::ViewState infinite;
    infinite.cameraX = std::numeric_limits<float>::infinity();
    SpritePlacement atInfinity;
    farview::projectPlacement(infinite, frameAt(0.0f), {160, 120, 0, 0}, atInfinity);
    EXPECT_EQ(atInfinity.screenY, 0xFFFF);
}

// ---- Order and selection ----------------------------------------------------------------------

std::vector<SpritePlacement *> rowsOf(std::vector<SpritePlacement> &store, std::vector<uint16_t> rows) {
    store.resize(rows.size());
    std::vector<SpritePlacement *> order;
    for (size_t i = 0; i < rows.size(); ++i) {
        store[i].screenY = rows[i];
        order.push_back(&store[i]);
    }
    return order;
}

TEST(SpriteOrder, RowsSortAscendingAsUnsignedSoNegativeRowsComeLast) {
    std::vector<SpritePlacement> store;
    auto order = rowsOf(store, {200, static_cast<uint16_t>(-5), 60, 120});
    farview::sortDrawingOrder(order);
    EXPECT_EQ(order[0]->screenY, 60);
    EXPECT_EQ(order[1]->screenY, 120);
    EXPECT_EQ(order[2]->screenY, 200);
    EXPECT_EQ(order[3], &store[1]);
}

TEST(SpriteOrder, EqualRowsKeepTheLastFramesOrder) {
    std::vector<SpritePlacement> store;
    auto order = rowsOf(store, {90, 90, 80, 90});
    std::vector<SpritePlacement *> last = {order[3], order[1], order[2], order[0]}; // a previous frame's order
    farview::sortDrawingOrder(last);
    EXPECT_EQ(last[0], &store[2]);
    EXPECT_EQ(last[1], &store[3]);
    EXPECT_EQ(last[2], &store[1]);
    EXPECT_EQ(last[3], &store[0]);
}

TEST(SpriteSelection, RowsUpToTheHorizonAreSkippedAndFrom350OnNothingIsDrawn) {
    std::vector<SpritePlacement> store;
    auto order = rowsOf(store, {49, 50, 51, 200, 349, 350, 100});
    const farview::DrawnRange drawn = farview::selectDrawn(order, 50);
    EXPECT_EQ(drawn.first, 2u);
    EXPECT_EQ(drawn.last, 5u); // the 100 after 350 stays undrawn: drawing stops at 350
}

TEST(SpriteSelection, NothingIsDrawnWhenEveryRowIsBeyondTheHorizonOrTheListIsEmpty) {
    std::vector<SpritePlacement> store;
    auto order = rowsOf(store, {10, 20});
    farview::DrawnRange drawn = farview::selectDrawn(order, 50);
    EXPECT_EQ(drawn.first, drawn.last);
    order.clear();
    drawn = farview::selectDrawn(order, 50);
    EXPECT_EQ(drawn.first, drawn.last);
}

TEST(SpriteSelection, ANegativeHorizonSkipsNothingButUnprojectedRowsStayUndrawn) {
    std::vector<SpritePlacement> store;
    auto order = rowsOf(store, {0, 100, 0xFFFF});
    const farview::DrawnRange drawn = farview::selectDrawn(order, -3);
    EXPECT_EQ(drawn.first, 0u);
    EXPECT_EQ(drawn.last, 2u);
}

// ---- Sources ------------------------------------------------------------------------------------

int32_t sheetRow(int32_t facing, float angle) {
    FvRect source{};
    EXPECT_TRUE(farview::sheetFrameSource(0, 0, facing, angle, source));
    return source.y / 32;
}

TEST(SheetSource, TheDirectionRowTurnsWithTheViewInQuarterTurns) {
    const float angles[][2] = {{0.0f, 44.9f}, {45.0f, 134.9f}, {135.0f, 224.9f}, {225.0f, 314.9f}, {315.0f, 360.0f}};
    const int32_t rows[][4] = {{3, 0, 1, 2}, {2, 3, 0, 1}, {1, 2, 3, 0}, {0, 1, 2, 3}, {3, 0, 1, 2}};
    for (int range = 0; range < 5; ++range)
        for (float angle : angles[range])
            for (int32_t facing = 0; facing < 4; ++facing)
                EXPECT_EQ(sheetRow(facing, angle), rows[range][facing]) << "angle " << angle << " facing " << facing;
}

TEST(SheetSource, AnimationStepsWalkTheFrameColumnsThereAndBack) {
    const int32_t columns[] = {0, 1, 2, 1, 0};
    for (int32_t step = 0; step < 5; ++step) {
        FvRect source{};
        ASSERT_TRUE(farview::sheetFrameSource(0, step, 2, 270.0f, source));
        EXPECT_EQ(source.x, 24 * columns[step]) << "step " << step;
        EXPECT_EQ(source.width, 24);
        EXPECT_EQ(source.height, 32);
    }
}

TEST(SheetSource, TheSheetIndexPicksABlockOfFourAcross) {
    FvRect source{};
    ASSERT_TRUE(farview::sheetFrameSource(5, 0, 0, 270.0f, source));
    EXPECT_EQ(source.x, 72);
    EXPECT_EQ(source.y, 128);
}

TEST(SheetSource, AbsurdSheetIndicesAndFacingsGiveNoUndefinedArithmetic) {
    FvRect source{};
    EXPECT_FALSE(farview::sheetFrameSource(INT32_MAX, INT32_MAX, INT32_MAX, 270.0f, source));
    EXPECT_TRUE(farview::sheetFrameSource(-1, INT32_MIN, INT32_MIN, std::nanf(""), source));
}

TEST(TileSource, ATileShownCharacterUsesTheUpperLayersAddressing) {
    const int32_t tiles[][3] = {{0, 288, 128}, {47, 368, 240}, {48, 384, 0}, {100, 448, 128}};
    for (const auto &tile : tiles) {
        FvRect source{};
        ASSERT_TRUE(farview::tileSpriteSource(tile[0], source));
        EXPECT_EQ(source.x, tile[1]) << "tile " << tile[0];
        EXPECT_EQ(source.y, tile[2]) << "tile " << tile[0];
        EXPECT_EQ(source.width, 16);
    }
    FvRect source{};
    EXPECT_FALSE(farview::tileSpriteSource(INT32_MAX, source));
}

int32_t stripAt(float angle, bool followsFacing, int32_t facing = 0, uint16_t directions = 8) {
    farview::SpriteDefinition strip;
    strip.directions = directions;
    strip.mode = farview::kSpriteDirectional;
    strip.followsFacing = followsFacing;
    int32_t frame = -1;
    EXPECT_TRUE(farview::stripFrame(strip, facing, angle, frame));
    return frame;
}

TEST(StripSource, TheNearestOfEightViewsIsShown) {
    EXPECT_EQ(stripAt(270.0f, false), 0);
    EXPECT_EQ(stripAt(0.0f, false), 6);
    EXPECT_EQ(stripAt(90.0f, false), 4);
    EXPECT_EQ(stripAt(315.0f, false), 7);
}

TEST(StripSource, AViewThatFollowsFacingTurnsWithTheCharacter) {
    EXPECT_EQ(stripAt(270.0f, true, 1), 2);
    EXPECT_EQ(stripAt(0.0f, true, 1), 0);
    EXPECT_EQ(stripAt(270.0f, true, 0), 0);
}

TEST(StripSource, AStripOfNoViewsHasNoFrame) {
    farview::SpriteDefinition strip;
    strip.directions = 0;
    int32_t frame = 0;
    EXPECT_FALSE(farview::stripFrame(strip, 1, 270.0f, frame));
}

// ---- Drawing through the stand-in host ------------------------------------------------------------

constexpr uint16_t kBackdrop = 0x0841;

// The hero on cell (9, 6) of a 20 x 15 map: with no scroll he stands at (152, 112), the camera
// point of the view below.
class SpriteDrawingTest : public farview_test::HostTest {
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
        simhost::fillScreen(kBackdrop);
    }

    SpritePlacement &place(farview::PlacedCharacter who) { return farview::appendPlacement(registry, who); }

    void cache(const std::string &name, FvHostImage *image) { registry.imageCache[name] = image; }

    void render() {
        farview::renderSprites(view, map, registry, sineAt(view.rotationAngle), cosineAt(view.rotationAngle));
    }

    // Whether the screen shows colour exactly inside the rectangle and the backdrop around it.
    void expectRectangle(int32_t x, int32_t y, int32_t width, int32_t height, uint16_t colour) {
        EXPECT_EQ(simhost::screenPixel(x, y), colour);
        EXPECT_EQ(simhost::screenPixel(x + width - 1, y + height - 1), colour);
        EXPECT_EQ(simhost::screenPixel(x - 1, y), kBackdrop);
        EXPECT_EQ(simhost::screenPixel(x, y - 1), kBackdrop);
        EXPECT_EQ(simhost::screenPixel(x + width, y + height - 1), kBackdrop);
        EXPECT_EQ(simhost::screenPixel(x + width - 1, y + height), kBackdrop);
    }

    farview::ViewState view;
    farview::MapRecord map;
    farview::SpriteRegistry registry;
};

TEST_F(SpriteDrawingTest, TheHerosSheetFrameIsStretchedTo28By38At146And170) {
    simhost::setSheetName(simhost::hero(), "hero");
    cache("CharSet/hero.png", farview_test::makeOneColourImage(288, 256, 3, 0xff0000));
    place(farview::placedHero());
    render();
    expectRectangle(146, 170, 28, 38, simhost::rgb565(0xff0000));
    EXPECT_EQ(registry.imageCache.size(), 1u); // found in the cache, not loaded again
}

TEST_F(SpriteDrawingTest, ASheetMetForTheFirstTimeIsLoadedOnceAndCached) {
    farview_test::ScratchDirectory folder;
    ASSERT_TRUE(farview_test::writeOneColourImage("CharSet/walker.png", 288, 256, 4, 0x00ff00));
    simhost::setSheetName(simhost::hero(), "walker");
    place(farview::placedHero());
    render();
    render();
    ASSERT_EQ(registry.imageCache.count("CharSet/walker.png"), 1u);
    EXPECT_EQ(registry.imageCache.at("CharSet/walker.png")->option, 1);
    EXPECT_EQ(simhost::liveImageCount(), 1);
    expectRectangle(146, 170, 28, 38, simhost::rgb565(0x00ff00));
}

TEST_F(SpriteDrawingTest, ATileShownCharacterIsCutFromTheTilesetImage) {
    FvHostImage *tileset = farview_test::makeOneColourImage(480, 256, 1, 0x123456);
    view.tilesetImage = tileset;
    place(farview::placedHero()); // no sheet name: tile 0 at (288, 128)
    render();
    expectRectangle(146, 170, 28, 38, simhost::rgb565(0x123456));
}

TEST_F(SpriteDrawingTest, ATileShownCharacterWithoutATilesetImageDrawsNothing) {
    place(farview::placedHero());
    render();
    EXPECT_EQ(simhost::screenPixel(160, 200), kBackdrop);
}

TEST_F(SpriteDrawingTest, ASingleImageIsDrawnWholeAndMovedByItsOffsets) {
    cache("tree.png", farview_test::makeOneColourImage(28, 38, 5, 0x0000ff));
    SpritePlacement &tree = place(farview::placedHero());
    tree.definition = std::make_shared<farview::SpriteDefinition>();
    tree.definition->imageName = "tree.png";
    tree.definition->offsetX = 3;
    tree.definition->offsetY = 0;
    render();
    // The offset moves the projected point by 3 map pixels and the drawn rectangle by 3 pixels.
    SpritePlacement expected;
    expected.definition = tree.definition;
    farview::SpriteFrame frame = frameAt(270.0f);
    frame.hero = {152, 112, 9, 6};
    farview::projectPlacement(view, frame, {152, 112, 9, 6}, expected);
    const int32_t x = expected.screenX - expected.scaledWidth / 2 + 3;
    const int32_t y = expected.screenY - expected.scaledHeight;
    expectRectangle(x, y, expected.scaledWidth, expected.scaledHeight, simhost::rgb565(0x0000ff));
}

TEST_F(SpriteDrawingTest, AStripShowsOneViewWidthOfItsImage) {
    FvHostImage *strip = farview_test::makeOneColourImage(24 * 4, 32, 6, 0xffff00);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 24; x < 96; ++x) strip->pixels[y * 96 + x] = 0; // only view 0 is painted
    cache("ghost.png", strip);
    SpritePlacement &ghost = place(farview::placedHero());
    ghost.definition = std::make_shared<farview::SpriteDefinition>();
    ghost.definition->imageName = "ghost.png";
    ghost.definition->directions = 4;
    ghost.definition->mode = farview::kSpriteDirectional;
    ghost.definition->followsFacing = false;
    render(); // angle 270: view 0
    expectRectangle(146, 170, 28, 38, simhost::rgb565(0xffff00));
    simhost::fillScreen(kBackdrop);
    view.rotationAngle = 0.0f; // another view, transparent here; the hero stays at the camera point
    render();
    EXPECT_EQ(simhost::screenPixel(160, 200), kBackdrop);
}

TEST_F(SpriteDrawingTest, DefinitionsThatCannotBeDrawnDrawNothing) {
    cache("strip.png", farview_test::makeOneColourImage(96, 32, 6, 0xffff00));
    const struct {
        const char *image;
        uint16_t mode;
        uint16_t directions;
    } cases[] = {{"never-cached.png", 0, 1}, {"strip.png", 2, 0}, {"strip.png", 1, 1}, {"strip.png", 3, 4}};
    for (const auto &each : cases) {
        registry.placements.clear();
        registry.drawingOrder.clear();
        SpritePlacement &placement = place(farview::placedHero());
        placement.definition = std::make_shared<farview::SpriteDefinition>();
        placement.definition->imageName = each.image;
        placement.definition->mode = each.mode;
        placement.definition->directions = each.directions;
        render();
        EXPECT_EQ(simhost::screenPixel(160, 200), kBackdrop) << each.image << " mode " << each.mode;
    }
}

TEST_F(SpriteDrawingTest, ANearerSpriteIsPaintedOverAFartherOne) {
    cache("far.png", farview_test::makeOneColourImage(24, 32, 7, 0xff00ff));
    cache("near.png", farview_test::makeOneColourImage(24, 32, 8, 0x00ffff));
    simhost::addEvent(1, 9, 5); // one cell further from the eye
    SpritePlacement &nearSprite = place(farview::placedHero());
    SpritePlacement &farSprite = place(farview::placedEvent(1));
    nearSprite.definition = std::make_shared<farview::SpriteDefinition>();
    nearSprite.definition->imageName = "near.png";
    farSprite.definition = std::make_shared<farview::SpriteDefinition>();
    farSprite.definition->imageName = "far.png";
    render();
    EXPECT_EQ(registry.drawingOrder.front(), &farSprite);
    EXPECT_EQ(simhost::screenPixel(160, 150), simhost::rgb565(0xff00ff)); // the far one alone
    EXPECT_EQ(simhost::screenPixel(160, 172), simhost::rgb565(0x00ffff)); // both: the near one on top
}

TEST_F(SpriteDrawingTest, WhileTheHeroIsOnAnotherMapOnlyHeIsDrawn) {
    cache("CharSet/hero.png", farview_test::makeOneColourImage(288, 256, 3, 0xff0000));
    simhost::setSheetName(simhost::hero(), "hero");
    simhost::addEvent(1, 10, 5); // on the screen beside him, but of this map, not the placements'
    SpritePlacement &hero = place(farview::placedHero());
    SpritePlacement &event = place(farview::placedEvent(1));
    registry.placementsMapId = simhost::hero().mapId + 1;
    render();
    EXPECT_EQ(hero.screenY, 208);
    EXPECT_EQ(event.character, nullptr);
    EXPECT_EQ(event.screenY, 0xFFFF);
    EXPECT_EQ(simhost::screenPixel(160, 200), simhost::rgb565(0xff0000));
}

TEST_F(SpriteDrawingTest, APlacementWithNoCharacterIsSkipped) {
    place({});
    render();
    EXPECT_EQ(registry.drawingOrder.front()->screenY, 0xFFFF);
    EXPECT_EQ(simhost::screenPixel(160, 200), kBackdrop);
}

TEST_F(SpriteDrawingTest, AHugeNearSpriteCostsOnlyItsVisiblePixels) {
    cache("CharSet/hero.png", farview_test::makeOneColourImage(288, 256, 3, 0xff0000));
    simhost::setSheetName(simhost::hero(), "hero");
    SpritePlacement &hero = place(farview::placedHero());
    hero.width = 60000;
    hero.height = 60000;
    render(); // a stretch target of some 72000 pixels square, clipped to the screen by the host
    EXPECT_EQ(simhost::screenPixel(0, 0), simhost::rgb565(0xff0000));
}

TEST_F(SpriteDrawingTest, TheFrameDrawsNoSpriteWithoutAMapTexture) {
    cache("CharSet/hero.png", farview_test::makeOneColourImage(288, 256, 3, 0xff0000));
    simhost::setSheetName(simhost::hero(), "hero");
    SpritePlacement &hero = place(farview::placedHero());
    farview::renderFrame(view, map, registry);
    EXPECT_EQ(hero.screenY, 0);
    EXPECT_EQ(simhost::screenPixel(160, 200), kBackdrop);
}

} // namespace
