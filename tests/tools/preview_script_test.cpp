// The preview tool's scripts: each step reaches the stand-in host, and a bad line stops the script
// with its name and line number instead of running on.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "tools/demo_game.h"
#include "tools/preview_script.h"

namespace {

class PreviewScript : public farview_test::ModuleTest {
protected:
    preview::ScriptResult run(const std::string &text) {
        return preview::runScript(text, "view.txt", module, scratch.path());
    }

    farview_test::ScratchDirectory scratch;
    std::string error;
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
        {"map 1 2 3\n@set_background \"sky.png\n", "view.txt:2: a text has no closing quote"},
        {"map 1 2 3\n\n  @ 30, 10\n", "view.txt:3: the comment line has no name after '@'"},
        {"@a \"sky\"png\n", "view.txt:1: parameter 1 has more after its closing quote"},
        {"comment set_horizon 30 10\n", "view.txt:1: unknown step 'comment'"}, // one syntax only
        {"tileset \"Meadow\n", "view.txt:1: a text has no closing quote"},
        {"\n\nfly 1 2\n", "view.txt:3: unknown step 'fly'"},
        {"map 1 20\n", "view.txt:1: expected: map ID WIDTH HEIGHT"},
        {"map 1 20 99999999999\n", "view.txt:1: expected: map ID WIDTH HEIGHT"},
        {"hero 1.5 2\n", "view.txt:1: expected: hero COLUMN ROW [FACING]"},
        {"frame out.png one\n", "view.txt:1: picture numbers must be integers"},
    };
    for (const Case &c : cases) {
        auto result = run(c.script);
        EXPECT_FALSE(result.ok) << c.script;
        EXPECT_EQ(result.error, c.error);
    }
}

TEST_F(PreviewScript, TheDemoScriptRunsToTheEnd) {
    ASSERT_TRUE(preview::writeDemoGame(scratch.path(), &error)) << error;
    auto result = run(preview::kDemoScript);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.frames.size(), 4u);
}

TEST_F(PreviewScript, StepsAfterABadLineDoNotRun) {
    auto result = run("map 1 10 10\nbogus\nmap 2 30 30\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(simhost::hero().mapId, 1);
}

// Comment lines reach the plug-in as the host would split them; a fake onComment shows what it got.
struct Received {
    std::vector<std::string> lines;
    std::vector<FvParsedComment> comments;
};
Received received;

bool FVAPI recordComment(const char *commentText, const FvParsedComment *comment) {
    received.lines.push_back(commentText);
    received.comments.push_back(*comment);
    return true;
}

class PreviewCommentLines : public farview_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        received = Received{};
        module.onComment = recordComment;
    }
    preview::ScriptResult run(const std::string &text) { return preview::runScript(text, "view.txt", module, scratch.path()); }

    simhost::PluginModule module;
    farview_test::ScratchDirectory scratch;
};

TEST_F(PreviewCommentLines, ALineStartingWithTheAtSignIsHandedToThePlugin) {
    auto result = run("map 1 10 10\n  @set_horizon 80, 10\r\n# @not_sent\n@say \"a \\\"b\\\", c\"\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(received.lines.size(), 2u);
    EXPECT_EQ(received.lines[0], "  @set_horizon 80, 10"); // a CRLF ending is not part of the line
    EXPECT_STREQ(received.comments[0].name, "set_horizon");
    EXPECT_EQ(received.comments[0].parameterCount, 2);
    EXPECT_EQ(received.comments[0].parameters[1].number, 10.0);
    EXPECT_STREQ(received.comments[1].name, "say");
    EXPECT_EQ(received.comments[1].parameterCount, 1);
    EXPECT_STREQ(received.comments[1].parameters[0].text, "a \"b\", c");
}

TEST_F(PreviewCommentLines, ALineWithMoreThanNineParametersIsSentWithItsCount) {
    auto result = run("@a 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(received.comments.size(), 1u);
    EXPECT_EQ(received.comments[0].parameterCount, 11);
}

TEST_F(PreviewCommentLines, ARefusedLineIsNotSentAndStopsTheScript) {
    auto result = run("@first\n@second \"open\n@third\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "view.txt:2: a text has no closing quote");
    ASSERT_EQ(received.lines.size(), 1u);
    EXPECT_EQ(received.lines[0], "@first");
}

} // namespace
