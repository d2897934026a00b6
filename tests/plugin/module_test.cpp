// The module's surface: its exports, its defaults, and what it does before any command.
#include <gtest/gtest.h>

#include "plugin/module_state.h"
#include "support/host_fixture.h"

namespace {

using farview_test::HostTest;

TEST(ViewStateDefaults, AFreshModuleHoldsEveryDefaultAndNoImages) {
    const farview::ViewState &view = farview::viewState;
    EXPECT_EQ(view.rotationAngle, 270.0f);
    EXPECT_EQ(view.horizon, 50);
    EXPECT_EQ(view.horizonOffset, 25);
    EXPECT_EQ(view.zValue, 90.0f);
    EXPECT_EQ(view.textureScaleX, 260.0f);
    EXPECT_EQ(view.textureScaleY, 260.0f);
    EXPECT_EQ(view.rotationalOffset, 100.0f);
    EXPECT_EQ(view.mode7PictureId, 1);
    EXPECT_EQ(view.backgroundWidth, -1);
    EXPECT_EQ(view.backgroundPixelsPerDegree, -1.0f);
    EXPECT_EQ(view.cameraX, 160.0f);
    EXPECT_EQ(view.cameraY, 120.0f);
    EXPECT_TRUE(view.usingBackground);
    EXPECT_FALSE(view.wrapping);
    EXPECT_FALSE(view.mode7Rendering);
    EXPECT_EQ(view.mapTexture, nullptr);
    EXPECT_EQ(view.tilesetImage, nullptr);
    EXPECT_EQ(view.boundaryTexture, nullptr);
    EXPECT_EQ(view.backgroundImage, nullptr);
}

TEST(ViewStateDefaults, TheMapRecordStartsEmpty) {
    const farview::MapRecord &map = farview::mapRecord;
    EXPECT_EQ(map.width, 0);
    EXPECT_EQ(map.height, 0);
    EXPECT_EQ(map.pixelWidth, 0);
    EXPECT_EQ(map.pixelHeight, 0);
    EXPECT_EQ(map.tilesetFileName, "0");
    EXPECT_EQ(map.tilesetName, "");
    EXPECT_EQ(map.tilesetImage, nullptr);
    EXPECT_EQ(map.mapTexture, nullptr);
    EXPECT_TRUE(map.lowerTileGrid.cells.empty());
}

TEST(HostBinding, ThePlugInFindsTheHostTableByNameInTheProgram) {
    EXPECT_EQ(farview::findHostInterface(), &simhost::hostInterface());
}

using LoadedModule = farview_test::ModuleTest;

TEST_F(LoadedModule, DrawsNothingWhileDrawingIsOff) {
    simhost::fillScreen(0x1234);
    FvDrawnPicture picture{0, 1};
    EXPECT_TRUE(module.onPictureDrawn(&picture));
    simhost::drawPictures(module, {0, 1, 2, -1});
    for (int32_t y = 0; y < simhost::kScreenHeight; y += 7)
        for (int32_t x = 0; x < simhost::kScreenWidth; x += 5) ASSERT_EQ(simhost::screenPixel(x, y), 0x1234);
}

// A host that offers no tileset record has no map open: the one message is the texture
// builder's, and no image is made.
TEST_F(LoadedModule, ALoadWithoutATilesetRecordShowsTheMessageOnceAndCreatesNoImage) {
    simhost::setMapSize(3, 3);
    simhost::setTilesetRecord({});
    EXPECT_FALSE(simhost::sendComment(module, "load_map_to_texture", {}));
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(simhost::messageCaptions()[0], "Farview");
    EXPECT_EQ(simhost::messages()[0],
              "There was an error while trying to load map texture.\nPlease load the map first");
    EXPECT_EQ(simhost::liveImageCount(), 0);
}

TEST_F(LoadedModule, TitleScreenResetsAreSafeOnAFreshModule) {
    simhost::initTitleScreen(module);
    simhost::initTitleScreen(module);
    EXPECT_EQ(simhost::liveImageCount(), 0);
    EXPECT_TRUE(simhost::messages().empty());
}

} // namespace

namespace {

TEST(ModuleLoading, AHostRefusesAModuleWithAnotherLinkVersion) {
    simhost::PluginModule module;
    std::string error;
    EXPECT_FALSE(simhost::loadPlugin(FARVIEW_WRONG_VERSION_MODULE_PATH, module, &error));
    EXPECT_NE(error.find("linkVersion"), std::string::npos) << error;
    EXPECT_EQ(module.handle, nullptr);
}

} // namespace
