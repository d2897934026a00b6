// The live view's session on the demo game with the real module: the lines C prints make the
// frame the window shows, and live reload keeps the last good view when a file is broken.
#include <gif_lib.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "simhost/game_folder.h"
#include "support/game_writer.h"
#include "support/host_fixture.h"
#include "tools/demo/demo_game.h"
#include "tools/live/live_demo.h"
#include "tools/live/live_session.h"
#include "tools/preview/preview_animation.h"
#include "tools/preview/preview_script.h"

namespace fs = std::filesystem;

namespace {

class LiveOnTheDemo : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(preview::writeDemoGame(game, &error)) << error;
        ASSERT_TRUE(session.loadModule(FARVIEW_MODULE_PATH, &error)) << error;
        live::OpenRequest request;
        request.game = game;
        request.scriptText = live::kDemoScene;
        request.scriptName = "demo scene";
        ASSERT_TRUE(session.open(request, &error)) << error;
    }

    void press(live::Key key, bool shift = false) {
        session.apply(live::effectOf(live::keyInput(key, shift), session.state()));
    }

    std::vector<uint16_t> frame() {
        session.renderFrame();
        return preview::screenPixels();
    }

    // The demo's map with every lower cell of one plain tile, written over its map file.
    void rewriteMapPlain() {
        std::vector<uint8_t> bytes;
        std::string error;
        simhost::GameMap map;
        ASSERT_TRUE(simhost::readGameFile(game / "Map0001.lmu", bytes, &error)) << error;
        ASSERT_TRUE(simhost::readMapFile(bytes, "Map0001.lmu", map, &error)) << error;
        std::fill(map.lower.begin(), map.lower.end(), uint16_t{5001});
        ASSERT_TRUE(gamefile::writeMap(game / "Map0001.lmu", map, &error)) << error;
        touch(game / "Map0001.lmu");
    }

    // A save within the same clock tick still counts as a change.
    static void touch(const fs::path &file) {
        fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(2));
    }

    std::string lastNote() const { return session.notes().empty() ? std::string() : session.notes().back(); }

    farview_test::ScratchDirectory scratch;
    fs::path game = scratch.path() / "game";
    live::LiveSession session{scratch.path()};
};

TEST_F(LiveOnTheDemo, TheLinesCPrintsMakeTheFrameTheWindowShows) {
    press(live::Key::Up);
    press(live::Key::Q, true);
    press(live::Key::Digit3);
    press(live::Key::Minus);
    press(live::Key::W);
    press(live::Key::T);
    const std::vector<uint16_t> shown = frame();
    std::string script;
    for (const std::string &line : session.script())
        script += line.rfind("#   ", 0) == 0 ? line.substr(4) + "\n" : line + "\n";
    simhost::initTitleScreen(session.module());
    simhost::resetEngine();
    preview::ScriptOptions options;
    simhost::GameFolder folder;
    std::string error;
    ASSERT_TRUE(simhost::openGame(game, folder, &error)) << error;
    options.outputFolder = scratch.path();
    options.enterMap = [&](int32_t mapId, std::string *failure) { return simhost::enterMap(folder, mapId, failure); };
    const preview::ScriptResult result = preview::runScript(script + "frame\n", "C", session.module(), options);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(preview::screenPixels() == shown) << script;
}

TEST_F(LiveOnTheDemo, AReplacedMapFileIsEnteredAgainKeepingTheHeroAndTheValues) {
    press(live::Key::Up);
    press(live::Key::E);
    const std::vector<uint16_t> before = frame();
    EXPECT_FALSE(session.reloadIfChanged());
    rewriteMapPlain();
    EXPECT_TRUE(session.reloadIfChanged());
    EXPECT_EQ(lastNote(), "reloaded: Map0001.lmu changed");
    EXPECT_EQ(session.state().hero, (live::Cell{30, 38}));
    EXPECT_EQ(session.state().view.angle, 275.0f);
    EXPECT_TRUE(session.state().view.drawing);
    EXPECT_FALSE(frame() == before);
}

TEST_F(LiveOnTheDemo, ATruncatedMapFileLeavesTheLastGoodView) {
    const std::vector<uint16_t> before = frame();
    const fs::path map = game / "Map0001.lmu";
    fs::resize_file(map, fs::file_size(map) / 2);
    touch(map);
    EXPECT_TRUE(session.reloadIfChanged());
    EXPECT_NE(lastNote().find("not reloaded, the last good view stays"), std::string::npos) << lastNote();
    EXPECT_NE(lastNote().find("Map0001.lmu"), std::string::npos) << lastNote();
    EXPECT_TRUE(frame() == before);
}

TEST_F(LiveOnTheDemo, ADeletedTilesetGraphicLeavesTheLastGoodViewUntilItIsBack) {
    const std::vector<uint16_t> before = frame();
    const fs::path graphic = game / "ChipSet" / "Meadow.png", kept = scratch.path() / "Meadow.png";
    fs::rename(graphic, kept);
    EXPECT_TRUE(session.reloadIfChanged());
    EXPECT_NE(lastNote().find("ChipSet/Meadow.png"), std::string::npos) << lastNote();
    EXPECT_TRUE(frame() == before);
    EXPECT_FALSE(session.reloadIfChanged()); // told once
    fs::rename(kept, graphic);
    rewriteMapPlain();
    EXPECT_TRUE(session.reloadIfChanged());
    EXPECT_NE(lastNote().find("reloaded"), std::string::npos) << lastNote();
    EXPECT_FALSE(frame() == before);
}

TEST_F(LiveOnTheDemo, ARecordedTurnHasAFrameAStepAndEndsWhereItBegan) {
    press(live::Key::E, true);
    ASSERT_TRUE(session.startTurnRecording());
    while (session.recording()) session.recordTurnStep();
    EXPECT_EQ(session.state().view.angle, 271.0f);
    int error = 0;
    GifFileType *gif = DGifOpenFileName((scratch.path() / "turn-001.gif").string().c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->ImageCount, live::kTurnFrames);
    DGifCloseFile(gif, &error);
}

} // namespace
