// Start-up, teardown and the title-screen reset: what a running game leaves behind, and what the
// commands' values keep across the title screen.
#include <memory>

#include <gtest/gtest.h>

#include "plugin/commands.h"
#include "plugin/module_state.h"
#include "support/host_fixture.h"
#include "support/small_game.h"

namespace {

using simhost::number;
using simhost::text;

bool command(const std::string &name, const std::vector<simhost::CommentArgument> &arguments = {}) {
    return farview::interpretComment(simhost::makeComment(name, arguments));
}

// The plug-in's own module-level objects (this program's copy), fresh for each test.
class TitleScreenReset : public farview_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        farview::resetForTitleScreen();
        farview::viewState = farview::ViewState{};
        farview::spriteRegistry.placementsMapId = 0;
        ASSERT_TRUE(farview_test::writeSmallGame(1, 20, 15));
        ASSERT_TRUE(farview_test::writeOneColourImage("sky.png", 720, 40, 1, 0x3060c0));
        ASSERT_TRUE(farview_test::writeOneColourImage("tree.png", 24, 32, 2, 0x208020));
        simhost::addEvent(1, 3, 3);
        simhost::addEvent(2, 5, 3);
    }
    // Leaves the module-level objects as a fresh load has them, for the tests that check those.
    void TearDown() override {
        farview::resetForTitleScreen();
        farview::viewState = farview::ViewState{};
        farview::MapRecord &map = farview::mapRecord;
        map.tilesetName.clear();
        for (farview::TileGrid *grid :
             {&map.attributeGrid, &map.lowerFlagGrid, &map.upperFlagGrid, &map.lowerTileGrid, &map.upperTileGrid})
            *grid = farview::TileGrid{};
    }

    void loadGame() {
        command("load_map_to_texture");
        command("set_boundary_texture", {number(0), number(0)});
        command("set_background", {text("sky.png")});
        command("add_sprite",
                {text("tree"), text("tree.png"), number(24), number(32), number(1), number(1), number(2)});
        command("change_hero_sprite", {text("tree.png"), number(24), number(32), number(4)});
        command("init_mode7", {number(1)});
    }

    farview_test::ScratchDirectory folder;
};

TEST_F(TitleScreenReset, FreesEveryImageAndEmptiesTheRegistry) {
    loadGame();
    ASSERT_EQ(simhost::liveImageCount(), 5); // tileset, map texture, boundary, background, tree
    ASSERT_EQ(farview::spriteRegistry.placementCount, 4);
    std::weak_ptr<farview::SpriteDefinition> heroDefinition = farview::spriteRegistry.placements.front()->definition;
    std::weak_ptr<farview::SpriteDefinition> treeDefinition = farview::spriteRegistry.spriteDefinitions.at("tree");

    farview::resetForTitleScreen();

    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_TRUE(heroDefinition.expired());
    EXPECT_TRUE(treeDefinition.expired());
    const farview::SpriteRegistry &registry = farview::spriteRegistry;
    EXPECT_TRUE(registry.placements.empty());
    EXPECT_TRUE(registry.drawingOrder.empty());
    EXPECT_TRUE(registry.spriteDefinitions.empty());
    EXPECT_TRUE(registry.imageCache.empty());
    EXPECT_EQ(registry.placementCount, 0);
    const farview::ViewState &view = farview::viewState;
    EXPECT_EQ(view.mapTexture, nullptr);
    EXPECT_EQ(view.tilesetImage, nullptr);
    EXPECT_EQ(view.boundaryTexture, nullptr);
    EXPECT_EQ(view.backgroundImage, nullptr);
    EXPECT_FALSE(view.mode7Rendering);
}

TEST_F(TitleScreenReset, ResetsTheMapRecordButKeepsItsTilesetNameAndGrids) {
    loadGame();
    farview::resetForTitleScreen();
    const farview::MapRecord &map = farview::mapRecord;
    EXPECT_EQ(map.width, 0);
    EXPECT_EQ(map.height, 0);
    EXPECT_EQ(map.pixelWidth, 0);
    EXPECT_EQ(map.pixelHeight, 0);
    EXPECT_EQ(map.tilesetFileName, "0");
    EXPECT_EQ(map.tilesetName, "Fields");
    EXPECT_EQ(map.lowerTileGrid.cells.size(), 20u * 15u);
    EXPECT_EQ(map.tilesetImage, nullptr);
    EXPECT_EQ(map.mapTexture, nullptr);
}

TEST_F(TitleScreenReset, KeepsEveryValueTheCommandsSet) {
    command("rotate_to", {number(33)});
    command("set_z_value", {number(70)});
    command("set_horizon", {number(80), number(10)});
    command("set_texture_scale", {number(300)});
    command("set_rotational_offset", {number(50)});
    command("set_mode7_picture_id", {number(7)});
    command("set_wrapping", {text("yes")});
    command("usingBackground", {text("no")});
    command("set_background", {text("sky.png")});
    command("init_mode7", {text("true")});

    farview::resetForTitleScreen();

    const farview::ViewState &view = farview::viewState;
    EXPECT_EQ(view.rotationAngle, 33.0f);
    EXPECT_EQ(view.zValue, 70.0f);
    EXPECT_EQ(view.horizon, 80);
    EXPECT_EQ(view.horizonOffset, 10);
    EXPECT_EQ(view.textureScaleX, 300.0f);
    EXPECT_EQ(view.textureScaleY, 300.0f);
    EXPECT_EQ(view.rotationalOffset, 50.0f);
    EXPECT_EQ(view.mode7PictureId, 7);
    EXPECT_TRUE(view.wrapping);
    EXPECT_FALSE(view.usingBackground);
    EXPECT_EQ(view.backgroundWidth, 720); // the image is gone, its width stays
    EXPECT_EQ(view.backgroundPixelsPerDegree, 2.0f);
    EXPECT_FALSE(view.mode7Rendering);
}

TEST_F(TitleScreenReset, TwoResetsInARowBehaveAsOne) {
    loadGame();
    farview::resetForTitleScreen();
    farview::resetForTitleScreen();
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_EQ(farview::mapRecord.tilesetFileName, "0");
    EXPECT_EQ(farview::spriteRegistry.placementCount, 0);
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(TitleScreenReset, BeforeAnyLoadChangesNothingButTheDrawingFlag) {
    command("init_mode7", {number(1)});
    farview::resetForTitleScreen();
    EXPECT_EQ(farview::mapRecord.tilesetFileName, "0");
    EXPECT_EQ(farview::mapRecord.width, 0);
    EXPECT_FALSE(farview::viewState.mode7Rendering);
    EXPECT_EQ(simhost::liveImageCount(), 0);
}

TEST_F(TitleScreenReset, TheNextGameBuildsNewImages) {
    loadGame();
    farview::resetForTitleScreen();
    loadGame();
    EXPECT_NE(farview::viewState.mapTexture, nullptr);
    EXPECT_NE(farview::viewState.tilesetImage, nullptr);
    EXPECT_NE(farview::viewState.boundaryTexture, nullptr);
    EXPECT_EQ(simhost::liveImageCount(), 5);
    EXPECT_EQ(farview::spriteRegistry.placementCount, 4);
}

// ---- Through the real module, as the host drives it ---------------------------------------------

class ModuleLifecycle : public farview_test::ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        ASSERT_TRUE(farview_test::writeSmallGame(1, 20, 15));
        ASSERT_TRUE(farview_test::writeOneColourImage("sky.png", 360, 50, 1, 0x3060c0));
        ASSERT_TRUE(farview_test::writeOneColourImage("tree.png", 24, 32, 2, 0x208020));
        simhost::hero().mapColumn = 9;
        simhost::hero().mapRow = 7;
        simhost::scrollToHero();
    }

    void send(const std::string &name, const std::vector<simhost::CommentArgument> &arguments = {}) {
        simhost::sendComment(module, name, arguments);
    }

    farview_test::ScratchDirectory folder;
};

TEST_F(ModuleLifecycle, AfterAResetTheBandOfANewGameIsBlackUntilABackgroundIsSet) {
    send("set_background", {text("sky.png")});
    simhost::initTitleScreen(module);
    send("load_map_to_texture");
    send("init_mode7", {number(1)});
    simhost::fillScreen(0x1234);
    simhost::drawPictures(module, {1});
    EXPECT_EQ(simhost::screenPixel(100, 10), 0); // backgroundWidth survived, the image did not
    EXPECT_NE(simhost::screenPixel(100, 200), 0x1234);
}

TEST_F(ModuleLifecycle, TheResetSwitchesDrawingOff) {
    send("load_map_to_texture");
    send("init_mode7", {number(1)});
    simhost::initTitleScreen(module);
    simhost::fillScreen(0x1234);
    simhost::drawPictures(module, {1});
    EXPECT_EQ(simhost::screenPixel(160, 200), 0x1234);
    send("is_mode7_rendering", {number(1)});
    EXPECT_EQ(simhost::variableValues().at(0), 0);
}

// Leaks of the plug-in's own records show under the sanitizer build when the program ends; the
// host's images are counted here.
TEST_F(ModuleLifecycle, AThousandGamesLeaveNothingBehind) {
    simhost::addEvent(1, 3, 3);
    simhost::addEvent(2, 12, 9);
    for (int game = 0; game < 1000; ++game) {
        send("load_map_to_texture");
        send("set_boundary_texture", {number(1), number(1)});
        send("set_background", {text("sky.png")});
        send("add_sprite", {text("tree"), text("tree.png"), number(24), number(32), number(1), number(1), number(1)});
        send("add_sprite", {text("tree"), text("tree.png"), number(24), number(32), number(1), number(1), number(2)});
        send("change_hero_sprite", {text("tree.png"), number(24), number(32), number(1)});
        send("init_mode7", {number(1)});
        send("rotate_right_by", {number(7)});
        simhost::drawPictures(module, {1});
        simhost::initTitleScreen(module);
        ASSERT_EQ(simhost::liveImageCount(), 0) << "game " << game;
    }
}

TEST_F(ModuleLifecycle, UnloadingTheModuleDestroysTheMapRecordsImages) {
    send("load_map_to_texture");
    ASSERT_EQ(simhost::liveImageCount(), 2);
    simhost::unloadPlugin(module);
    EXPECT_EQ(simhost::liveImageCount(), 0);
}

} // namespace
