// Scripts as end-to-end tests of the real module on the demo game: the rendering flag read back
// through a host variable, a rendered view, and nothing drawn after the title-screen reset.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "simhost/game_folder.h"
#include "support/host_fixture.h"
#include "tools/common/game_entry.h"
#include "tools/demo/demo_game.h"
#include "tools/preview/preview_script.h"

namespace {

// The complete example script of the preview tool's page, docs/preview.md.
std::string previewPageExampleScript() {
    std::filesystem::path page =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "docs" / "preview.md";
    std::ifstream in(page);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    size_t start = all.find("# walk.txt:");
    size_t end = all.find("```", start);
    return start == std::string::npos || end == std::string::npos ? std::string() : all.substr(start, end - start);
}

class PreviewOnTheDemo : public farview_test::ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        std::string error;
        ASSERT_TRUE(preview::writeDemoGame(scratch.path(), &error)) << error;
        ASSERT_TRUE(simhost::openGame(scratch.path(), game, &error)) << error;
        options.outputFolder = scratch.path();
        options.enterMap = [this](int32_t mapId, std::string *problem) {
            tools::EntryReport entry;
            return tools::enterWithGameLines(game, mapId, module, entry, problem);
        };
    }

    preview::ScriptResult run(const std::string &text) {
        return preview::runScript(text, "demo-test.txt", module, options);
    }

    farview_test::ScratchDirectory scratch;
    simhost::GameFolder game;
    preview::ScriptOptions options;
};

TEST_F(PreviewOnTheDemo, TheDemoScriptRunsToTheEnd) {
    auto result = run(preview::kDemoScript);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_FALSE(result.frames.empty());
    for (const std::string &frame : result.frames) EXPECT_TRUE(std::filesystem::exists(frame)) << frame;
}

TEST_F(PreviewOnTheDemo, ThePreviewPagesExampleScriptRunsAndItsChecksHold) {
    std::string script = previewPageExampleScript();
    ASSERT_FALSE(script.empty()) << "no example script in docs/preview.md";
    auto result = run(script);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.frames.size(), 33u);
    EXPECT_EQ(result.animations.size(), 2u);
}

// The island's own lines turn drawing on as the map is entered: the script turns it off first.
TEST_F(PreviewOnTheDemo, RenderingIsOnUntilTheTitleScreen) {
    auto result = run(R"(enter 1
hero 20 15
@init_mode7 false
@load_map_to_texture
@is_mode7_rendering 3
expect returned false
expect variable 3 0
@init_mode7 true
@is_mode7_rendering 3
expect variable 3 1
frame view.png
expect drawn true
title
@is_mode7_rendering 3
expect variable 3 0
frame title.png
expect drawn false
)");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.frames.size(), 2u);
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y)
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x)
            ASSERT_EQ(simhost::screenPixel(x, y), preview::kBackdrop) << x << "," << y;
}

TEST_F(PreviewOnTheDemo, AnExpectThatFailsStopsTheScript) {
    auto result = run("enter 1\n@load_map_to_texture\n@init_mode7 true\n@is_mode7_rendering 3\nexpect variable 3 0\n"
                      "frame never.png\n");
    EXPECT_EQ(result.error, "demo-test.txt:5: expected variable 3 = 0, found 1");
    EXPECT_TRUE(result.frames.empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "never.png"));
}

} // namespace
