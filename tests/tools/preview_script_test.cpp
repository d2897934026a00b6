// The preview tool's scripts: each step reaches the stand-in host, and a bad line stops the script
// with its name and line number instead of running on.
#include <filesystem>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/preview_script.h"

namespace {

class PreviewScript : public farview_test::ModuleTest {
protected:
    preview::ScriptResult run(const std::string &text) {
        return preview::runScript(text, "view.txt", module, scratch.path());
    }

    farview_test::ScratchDirectory scratch;
};

TEST_F(PreviewScript, HostStepsSetTheMapTheHeroAndTheScroll) {
    auto result = run("# remark\nmap 7 40 30\nhero 20 15 2\nevent 3 4 5 Actor1 6\n");
    ASSERT_TRUE(result.ok) << result.error;
    int32_t width = 0, height = 0;
    simhost::mapSize(&width, &height);
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 30);
    EXPECT_EQ(simhost::hero().mapId, 7);
    EXPECT_EQ(simhost::hero().facing, 2);
    EXPECT_EQ(simhost::characterScreenX(&simhost::hero()), 160); // the view keeps the hero centred
    FvHostCharacter *event = simhost::eventById(simhost::mapView().events, 3);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(simhost::hostStringText(event->sheetName), "Actor1");
    EXPECT_EQ(event->sheetIndex, 6);
}

TEST_F(PreviewScript, AFrameIsWrittenIntoTheOutputFolder) {
    auto result = run("frame first.png 1 2\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.frames.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(scratch.path() / "first.png"));
}

TEST_F(PreviewScript, BadLinesStopWithTheirLineNumber) {
    struct Case {
        const char *script;
        const char *error;
    } cases[] = {
        {"map 1 2 3\ncomment set_background \"sky.png\n", "view.txt:2: a text has no closing quote"},
        {"\n\nfly 1 2\n", "view.txt:3: unknown step 'fly'"},
        {"map 1 20\n", "view.txt:1: expected: map ID WIDTH HEIGHT"},
        {"map 1 20 99999999999\n", "view.txt:1: expected: map ID WIDTH HEIGHT"},
        {"hero 1.5 2\n", "view.txt:1: expected: hero COLUMN ROW [FACING]"},
        {"comment a 1 2 3 4 5 6 7 8 9 10\n", "view.txt:1: a comment line holds at most 9 parameters"},
        {"frame out.png one\n", "view.txt:1: picture numbers must be integers"},
    };
    for (const Case &c : cases) {
        auto result = run(c.script);
        EXPECT_FALSE(result.ok) << c.script;
        EXPECT_EQ(result.error, c.error);
    }
}

TEST_F(PreviewScript, StepsAfterABadLineDoNotRun) {
    auto result = run("map 1 10 10\nbogus\nmap 2 30 30\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(simhost::hero().mapId, 1);
}

} // namespace
