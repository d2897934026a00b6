// The preview tool's scripts: the whole script is checked before anything runs, each step
// reaches the stand-in host, and a bad line or a failed expect stops the script with its name and
// line number.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/game_folder.h"
#include "support/host_fixture.h"
#include "tools/preview/preview_script.h"

namespace {

// A stand-in plug-in that records what the host hands it, so that the host's side of each step
// can be seen without the real module's rendering.
struct Recorder {
    std::vector<std::string> lines;
    std::vector<FvParsedComment> comments;
    std::vector<int32_t> pictures;
    std::vector<std::string> events; // comment names and messages in the order they happen
    bool returns = true;
    bool drawOnPicture = false;
    const char *messageOnComment = nullptr;
};
Recorder recorder;

bool FVAPI recordComment(const char *commentText, const FvParsedComment *comment) {
    recorder.lines.push_back(commentText);
    recorder.comments.push_back(*comment);
    recorder.events.push_back(comment->name);
    if (recorder.messageOnComment != nullptr)
        simhost::hostInterface().showMessage("Farview", recorder.messageOnComment);
    return recorder.returns;
}

bool FVAPI recordPicture(const FvDrawnPicture *picture) {
    recorder.pictures.push_back(picture->pictureNumber);
    if (recorder.drawOnPicture) simhost::fillScreen(0xFFFF);
    return true;
}

void FVAPI ignoreTitleScreen() {}

class PreviewScript : public farview_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        recorder = Recorder{};
        module.onComment = recordComment;
        module.onPictureDrawn = recordPicture;
        module.onInitTitleScreen = ignoreTitleScreen;
        options.outputFolder = scratch.path();
    }

    preview::ScriptResult run(const std::string &text) { return preview::runScript(text, "view.txt", module, options); }

    simhost::PluginModule module;
    farview_test::ScratchDirectory scratch;
    preview::ScriptOptions options;
};

// ---- Reading: every line is checked first ---------------------------------------------------

TEST_F(PreviewScript, BadLinesStopWithTheirLineNumber) {
    struct Case {
        const char *script;
        const char *error;
    } cases[] = {
        {"\n\nfly 1 2\n", "view.txt:3: unknown step 'fly'"},
        {"comment set_horizon 30 10\n", "view.txt:1: unknown step 'comment'"},
        {"Frame a.png\n", "view.txt:1: unknown step 'Frame'"},
        {"map 1 20\n", "view.txt:1: expected: map ID WIDTH HEIGHT"},
        {"map 1 2 3 4\n", "view.txt:1: too many words (expected: map ID WIDTH HEIGHT)"},
        {"map 1 20 99999999999\n", "view.txt:1: '99999999999' is not a whole number (expected: map ID WIDTH HEIGHT)"},
        {"hero 1.5 2\n", "view.txt:1: '1.5' is not a whole number (expected: hero COLUMN ROW [FACING])"},
        {"hero 1 2 4\n", "view.txt:1: FACING must be 0 to 3, not 4"},
        {"hero \"1\" 2\n", "view.txt:1: '1' is not a whole number (expected: hero COLUMN ROW [FACING])"},
        {"face bob 1\n", "view.txt:1: 'bob' is neither hero nor an event's id (expected: face hero|EVENT FACING)"},
        {"pose hero\n", "view.txt:1: expected: pose hero|EVENT STEP"},
        {"scroll follow 3\n", "view.txt:1: 'follow' is not a whole number (expected: scroll X Y or scroll follow)"},
        {"pictures\n", "view.txt:1: expected: pictures PICTURE [PICTURE ...]"},
        {"frame out.png one\n", "view.txt:1: 'one' is not a whole number (expected: frame [FILE [PICTURE ...]])"},
        {"gif a.gif -5\n", "view.txt:1: DELAY must be 0 to 655350, not -5"},
        {"repeat -1\nend\n", "view.txt:1: the count must be 0 to 2147483647, not -1"},
        {"expect colour 3\n",
         "view.txt:1: expected: expect variable N VALUE, expect returned true|false or expect drawn true|false"},
        {"expect returned yes\n", "view.txt:1: 'yes' is neither true nor false"},
        {"expect variable 0 1\n", "view.txt:1: the variable number must be 1 to 2147483647, not 0"},
        {"map 1 2 3\n@set_background \"sky.png\n", "view.txt:2: a text has no closing quote"},
        {"map 1 2 3\n\n  @ 30, 10\n", "view.txt:3: the comment line has no name after '@'"},
        {"@a \"sky\"png\n", "view.txt:1: parameter 1 has more after its closing quote"},
        {"tileset \"Meadow\n", "view.txt:1: a text has no closing quote"},
        {"\x01\x02"
         "bin\x7f 3\n",
         "view.txt:1: unknown step '??bin?'"},
        {"map 1 2 123456789012345678901234567890123456789012345\n",
         "view.txt:1: '1234567890123456789012345678901234567890...' is not a whole number (expected: map ID WIDTH "
         "HEIGHT)"},
        {"hero 5 6#7\n", "view.txt:1: '6#7' is not a whole number (expected: hero COLUMN ROW [FACING])"},
    };
    for (const Case &c : cases) {
        auto result = run(c.script);
        EXPECT_FALSE(result.ok) << c.script;
        EXPECT_EQ(result.error, c.error);
    }
}

TEST_F(PreviewScript, BlocksThatDoNotCloseNameTheirLine) {
    struct Case {
        const char *script;
        const char *error;
    } cases[] = {
        {"repeat 3\n@a\n", "view.txt:1: repeat without an end"},
        {"repeat 2\n  repeat 3\n  end\n", "view.txt:1: repeat without an end"},
        {"repeat 2\nend\n\nrepeat 4\n  repeat 3\nend\n", "view.txt:4: repeat without an end"},
        {"end\n", "view.txt:1: end without a repeat"},
        {"repeat 1\nend\nend\n", "view.txt:3: end without a repeat"},
    };
    for (const Case &c : cases) {
        auto result = run(c.script);
        EXPECT_FALSE(result.ok) << c.script;
        EXPECT_EQ(result.error, c.error);
    }
}

TEST_F(PreviewScript, NothingRunsWhenALineIsBad) {
    auto result = run("map 7 10 10\n@first\nbogus\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(simhost::hero().mapId, 1);
    EXPECT_TRUE(recorder.lines.empty());
}

TEST_F(PreviewScript, CheckScriptReadsWithoutRunning) {
    EXPECT_TRUE(preview::checkScript("map 7 10 10\n@first\nframe a.png\n", "view.txt").ok);
    EXPECT_TRUE(recorder.lines.empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "a.png"));
    EXPECT_EQ(preview::checkScript("repeat 2\n", "v.txt").error, "v.txt:1: repeat without an end");
}

// Repeats multiply: a typo in a count must not start a render that runs for days.
TEST_F(PreviewScript, RepeatsThatMultiplyPastTheLimitsAreRefused) {
    auto steps = run("repeat 100000\n  repeat 1000\n    @a\n  end\nend\n");
    EXPECT_EQ(steps.error, "view.txt:2: the script would run more than 10000000 steps");
    auto huge = run("repeat 2147483647\nrepeat 2147483647\nrepeat 2147483647\n@a\nend\nend\nend\n");
    EXPECT_EQ(huge.error, "view.txt:1: the script would run more than 10000000 steps");
    auto empty = run("repeat 55\nrepeat 555555571\nend\nend\n");
    EXPECT_EQ(empty.error, "view.txt:2: the script would run more than 10000000 steps");
    auto frames = run("repeat 10001\n  frame\nend\n");
    EXPECT_EQ(frames.error, "view.txt:1: the script would render more than 10000 frames");
    EXPECT_TRUE(recorder.lines.empty());
    EXPECT_TRUE(preview::checkScript("repeat 10000\n  frame\nend\n", "view.txt").ok);
}

// A script is read in one pass however deep its repeats nest, and one larger than the stated size
// is refused before it is read.
TEST_F(PreviewScript, DeepRepeatsAreReadAndAScriptOverTheSizeIsRefused) {
    std::string deep;
    for (int i = 0; i < 50000; ++i) deep += "repeat 1\n";
    deep += "@a\n";
    for (int i = 0; i < 50000; ++i) deep += "end\n";
    EXPECT_TRUE(preview::checkScript(deep, "view.txt").ok);
    const preview::ScriptResult large = preview::checkScript(std::string(preview::kMaxScriptBytes + 1, '\n'), "view.txt");
    EXPECT_EQ(large.error, "view.txt: the script is 1048577 bytes long; scripts of more than 1048576 bytes are refused");
}

// ---- Repeats --------------------------------------------------------------------------------

TEST_F(PreviewScript, RepeatsRunTheirBlockNTimesAndNest) {
    auto result = run("repeat 2\n  @a\n  repeat 3\n    @b\n  end\nend\nrepeat 0\n  @never\nend\n@c\n");
    ASSERT_TRUE(result.ok) << result.error;
    std::vector<std::string> expected{"a", "b", "b", "b", "a", "b", "b", "b", "c"};
    EXPECT_EQ(recorder.events, expected);
}

TEST_F(PreviewScript, FramesInsideRepeatsAreNumbered) {
    auto result = run("frame still.png\nrepeat 12\n  frame turn-{n}.png\nend\nrepeat 3\n  frame walk.png\nend\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.frames.size(), 16u);
    EXPECT_EQ(result.frames[0], (scratch.path() / "still.png").string());
    EXPECT_EQ(result.frames[1], (scratch.path() / "turn-01.png").string());
    EXPECT_EQ(result.frames[12], (scratch.path() / "turn-12.png").string());
    EXPECT_EQ(result.frames[13], (scratch.path() / "walk-1.png").string());
    EXPECT_EQ(result.frames[15], (scratch.path() / "walk-3.png").string());
    for (const std::string &frame : result.frames) EXPECT_TRUE(std::filesystem::exists(frame)) << frame;
}

TEST_F(PreviewScript, ANestedFrameCountsEveryRunOfItsLine) {
    std::filesystem::create_directories(scratch.path() / "shots");
    auto result = run("repeat 2\n  repeat 5\n    frame shots/{n}-of-ten\n  end\nend\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.frames.size(), 10u);
    EXPECT_EQ(result.frames[0], (scratch.path() / "shots/01-of-ten").string());
    EXPECT_EQ(result.frames[9], (scratch.path() / "shots/10-of-ten").string());
}

// ---- Host steps -----------------------------------------------------------------------------

TEST_F(PreviewScript, HostStepsSetTheMapTheHeroAndTheEvents) {
    auto result = run("# remark\nmap 7 40 30\nhero 20 15 2\nevent 3 4 5 Actor1 6\n");
    ASSERT_TRUE(result.ok) << result.error;
    int32_t width = 0, height = 0;
    simhost::mapSize(&width, &height);
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 30);
    EXPECT_EQ(simhost::hero().mapId, 7);
    EXPECT_EQ(simhost::hero().mapColumn, 20);
    EXPECT_EQ(simhost::hero().facing, 2);
    FvHostCharacter *event = simhost::eventById(simhost::mapView().events, 3);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(simhost::hostStringText(event->sheetName), "Actor1");
    EXPECT_EQ(event->sheetIndex, 6);
}

TEST_F(PreviewScript, AnEventThatIsThereIsMovedKeepingItsSheet) {
    auto result = run("map 1 20 20\nevent 3 4 5 Actor1 6\nevent 3 7 8\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(simhost::mapView().events->count, 1);
    FvHostCharacter *event = simhost::eventById(simhost::mapView().events, 3);
    EXPECT_EQ(event->mapColumn, 7);
    EXPECT_EQ(event->mapRow, 8);
    EXPECT_EQ(simhost::hostStringText(event->sheetName), "Actor1");
    EXPECT_EQ(event->sheetIndex, 6);
}

TEST_F(PreviewScript, FaceSheetAndPoseReachTheHeroOrAnEvent) {
    auto result = run("map 1 20 20\nevent 4 1 1\nface hero 3\nsheet hero Hero 2\npose hero 2\n"
                      "face 4 1\nsheet 4 \"\" 17\npose 4 0\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(simhost::hero().facing, 3);
    EXPECT_EQ(simhost::hostStringText(simhost::hero().sheetName), "Hero");
    EXPECT_EQ(simhost::hero().sheetIndex, 2);
    EXPECT_EQ(simhost::hero().animationStep, 2);
    FvHostCharacter *event = simhost::eventById(simhost::mapView().events, 4);
    EXPECT_EQ(event->facing, 1);
    EXPECT_EQ(simhost::hostStringText(event->sheetName), ""); // shown as a tile
    EXPECT_EQ(event->sheetIndex, 17);
    EXPECT_EQ(event->animationStep, 0);
    // Two quotes in a row in a quoted word stand for one, as C writes a name that holds one.
    ASSERT_TRUE(run("sheet hero \"a\"\"b\\\" 0\n").ok);
    EXPECT_EQ(simhost::hostStringText(simhost::hero().sheetName), "a\"b\\");
}

TEST_F(PreviewScript, MoveWalksByCellsAndStopsAtTheEdgeOfTheNumbers) {
    auto result = run("map 1 20 20\nhero 5 5\nevent 4 1 1\nrepeat 3\n  move hero 0 -1\n  move 4 2 0\nend\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(simhost::hero().mapRow, 2);
    EXPECT_EQ(simhost::eventById(simhost::mapView().events, 4)->mapColumn, 7);
    ASSERT_TRUE(run("hero 0 0\nmove hero 2147483647 -2147483648\nmove hero 5 -5\n").ok);
    EXPECT_EQ(simhost::hero().mapColumn, INT32_MAX);
    EXPECT_EQ(simhost::hero().mapRow, INT32_MIN);
}

TEST_F(PreviewScript, AStepOnAMissingEventStopsTheScript) {
    auto result = run("map 1 20 20\nevent 4 1 1\nface 9 1\n@after\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "view.txt:3: the map has no event 9");
    EXPECT_TRUE(recorder.lines.empty());
}

TEST_F(PreviewScript, TheViewFollowsTheHeroUntilAScrollFixesIt) {
    ASSERT_TRUE(run("map 1 40 30\nhero 20 15\n").ok);
    EXPECT_EQ(simhost::characterScreenX(&simhost::hero()), 160);
    ASSERT_TRUE(run("map 1 40 30\nhero 20 15\nframe\nhero 25 15\nframe\n").ok);
    EXPECT_EQ(simhost::characterScreenX(&simhost::hero()), 160);
    ASSERT_TRUE(run("map 1 40 30\nscroll 32 48\nhero 25 15\nframe\n").ok);
    EXPECT_EQ(simhost::mapView().scrollX, 32);
    EXPECT_EQ(simhost::mapView().scrollY, 48);
    ASSERT_TRUE(run("map 1 40 30\nscroll 32 48\nhero 25 15\nscroll follow\nframe\n").ok);
    EXPECT_EQ(simhost::characterScreenX(&simhost::hero()), 160);
}

TEST_F(PreviewScript, EachFrameDrawsTheChosenPictures) {
    auto result = run("frame\npictures 2 5\nframe\nframe a.png 7 1\nframe\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(recorder.pictures, (std::vector<int32_t>{1, 2, 5, 7, 1, 2, 5}));
}

TEST_F(PreviewScript, EnterAsksTheGameFolder) {
    EXPECT_EQ(run("enter 3\n").error, "view.txt:1: enter needs a game folder (without one, use map and tileset)");
    std::vector<int32_t> entered;
    options.enterMap = [&entered](int32_t mapId, std::string *error) {
        entered.push_back(mapId);
        if (mapId == 4) *error = "Map0004.lmu: no such file";
        return mapId != 4;
    };
    auto result = run("enter 3\nenter 4\n@after\n");
    EXPECT_EQ(result.error, "view.txt:2: Map0004.lmu: no such file");
    EXPECT_EQ(entered, (std::vector<int32_t>{3, 4}));
    EXPECT_TRUE(recorder.lines.empty());
}

// ---- Comment lines --------------------------------------------------------------------------

TEST_F(PreviewScript, ALineStartingWithTheAtSignIsHandedToThePlugin) {
    auto result = run("map 1 10 10\n  @set_horizon 80, 10\r\n# @not_sent\n@say \"a \\\"b\\\", c\"\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(recorder.lines[0], "  @set_horizon 80, 10"); // a CRLF ending is not part of the line
    EXPECT_STREQ(recorder.comments[0].name, "set_horizon");
    EXPECT_EQ(recorder.comments[0].parameterCount, 2);
    EXPECT_EQ(recorder.comments[0].parameters[1].number, 10.0);
    EXPECT_STREQ(recorder.comments[1].name, "say");
    EXPECT_EQ(recorder.comments[1].parameterCount, 1);
    EXPECT_STREQ(recorder.comments[1].parameters[0].text, "a \"b\", c");
}

TEST_F(PreviewScript, ARemarkEndsAStepButNotACommentLine) {
    auto result = run("#only a remark\nhero 3 4   # on the road\n  hero 5 6 #7\n@say \"a # b\", c # d\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(simhost::hero().mapColumn, 5);
    EXPECT_EQ(simhost::hero().mapRow, 6);
    EXPECT_EQ(simhost::hero().facing, 0);
    ASSERT_EQ(recorder.lines.size(), 1u);
    EXPECT_EQ(recorder.comments[0].parameterCount, 2);
    EXPECT_STREQ(recorder.comments[0].parameters[1].text, "c # d");
}

TEST_F(PreviewScript, ALineWithMoreThanNineParametersIsSentWithItsCount) {
    auto result = run("@a 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11\n");
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(recorder.comments.size(), 1u);
    EXPECT_EQ(recorder.comments[0].parameterCount, 11);
}

TEST_F(PreviewScript, MessagesAreReportedAsTheyAreShown) {
    recorder.messageOnComment = "There was an error";
    options.message = [](const std::string &caption, const std::string &text) {
        recorder.events.push_back("[" + caption + "] " + text);
    };
    ASSERT_TRUE(run("@first\n@second\n").ok);
    std::vector<std::string> expected{"first", "[Farview] There was an error", "second",
                                      "[Farview] There was an error"};
    EXPECT_EQ(recorder.events, expected);
}

TEST_F(PreviewScript, ProgressCountsEveryFrameTheScriptRenders) {
    std::vector<std::pair<int64_t, int64_t>> calls;
    options.progress = [&calls](int64_t rendered, int64_t total) { calls.emplace_back(rendered, total); };
    ASSERT_TRUE(run("frame\nrepeat 3\n  frame\nend\nrepeat 0\n  frame\nend\n").ok);
    std::vector<std::pair<int64_t, int64_t>> expected{{1, 4}, {2, 4}, {3, 4}, {4, 4}};
    EXPECT_EQ(calls, expected);
}

// ---- Expect ---------------------------------------------------------------------------------

TEST_F(PreviewScript, ExpectReturnedChecksTheLastCommentLine) {
    EXPECT_TRUE(run("@a\nexpect returned true\n").ok);
    recorder.returns = false;
    EXPECT_TRUE(run("@a\nexpect returned false\n").ok);
    auto wrong = run("@a\n\nexpect returned true\n@after\n");
    EXPECT_EQ(wrong.error, "view.txt:3: expected the last comment line to return true, found false");
    EXPECT_EQ(recorder.lines.size(), 3u); // @after never ran
    EXPECT_EQ(run("expect returned false\n").error,
              "view.txt:1: expected the last comment line to return false, found no comment line before it");
}

TEST_F(PreviewScript, ExpectDrawnChecksTheLastFrame) {
    EXPECT_TRUE(run("frame\nexpect drawn false\n").ok);
    EXPECT_EQ(run("frame\nexpect drawn true\n").error,
              "view.txt:2: expected the last frame to show a view, found nothing drawn");
    recorder.drawOnPicture = true;
    EXPECT_TRUE(run("frame\nexpect drawn true\n").ok);
    EXPECT_EQ(run("frame\nexpect drawn false\n").error,
              "view.txt:2: expected the last frame to be the backdrop alone, found a view drawn");
    EXPECT_EQ(run("expect drawn true\n").error,
              "view.txt:1: expected the last frame to show a view, found no frame before it");
}

// ---- Files ----------------------------------------------------------------------------------

TEST_F(PreviewScript, AFileThatCannotBeWrittenStopsTheScriptAtItsLine) {
    auto frame = run("frame\nframe missing-folder/a.png\n@after\n");
    EXPECT_FALSE(frame.ok);
    EXPECT_EQ(frame.error.rfind("view.txt:2: ", 0), 0u) << frame.error;
    EXPECT_NE(frame.error.find("missing-folder/a.png"), std::string::npos) << frame.error;
    auto gif = run("gif missing-folder/a.gif\n");
    EXPECT_EQ(gif.error.rfind("view.txt:1: cannot create ", 0), 0u) << gif.error;
    EXPECT_TRUE(recorder.lines.empty());
}

// Files go into the output folder only: a name that climbs out of it or starts from a root stops
// the script at its line before anything runs, however deep the climb.
TEST_F(PreviewScript, NamesThatLeaveTheOutputFolderStopTheScript) {
    std::filesystem::create_directory("out");
    options.outputFolder = scratch.path() / "out";
    for (const char *line : {"frame ../escape.png", "frame /tmp/abs.png", "frame sub/../../up.png", "gif ../a.gif",
                             "repeat 2\nframe ../n-{n}.png\nend"}) {
        const preview::ScriptResult result = run("@first\n" + std::string(line) + "\n");
        EXPECT_FALSE(result.ok) << line;
        EXPECT_NE(result.error.find(" leaves the output folder"), std::string::npos) << result.error;
    }
    EXPECT_TRUE(recorder.lines.empty());
    EXPECT_TRUE(std::filesystem::is_empty("out"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
    EXPECT_TRUE(run("frame sub..name.png\nframe ..a.png\n").ok); // dots inside a name leave nothing
}

TEST_F(PreviewScript, GifStepsMustPair) {
    EXPECT_EQ(run("gif end\n").error, "view.txt:1: gif end without a gif FILE before it");
    auto twice = run("gif a.gif\n\ngif b.gif\n");
    EXPECT_EQ(twice.error.rfind("view.txt:3: a gif is being collected already", 0), 0u) << twice.error;
}

TEST_F(PreviewScript, AGifLeftOpenIsWrittenAtTheEnd) {
    auto result = run("gif a.gif\nframe\nframe b.png\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.animations, std::vector<std::string>{(scratch.path() / "a.gif").string()});
    EXPECT_EQ(result.frames, std::vector<std::string>{(scratch.path() / "b.png").string()});
}

// ---- The real module ------------------------------------------------------------------------

class PreviewScriptWithModule : public farview_test::ModuleTest {
protected:
    farview_test::ScratchDirectory scratch;
};

TEST_F(PreviewScriptWithModule, ExpectVariableReadsTheHostsVariables) {
    auto ok = preview::runScript("@is_mode7_rendering 4\nexpect variable 4 0\nexpect returned false\n", "v.txt", module,
                                 scratch.path());
    EXPECT_TRUE(ok.ok) << ok.error;
    auto wrong = preview::runScript("@is_mode7_rendering 4\nexpect variable 4 1\n", "v.txt", module, scratch.path());
    EXPECT_EQ(wrong.error, "v.txt:2: expected variable 4 = 1, found 0");
    auto missing = preview::runScript("@is_mode7_rendering 4\nexpect variable 9 0\n", "v.txt", module, scratch.path());
    EXPECT_EQ(missing.error, "v.txt:2: expected variable 9 = 0, found no variable 9 (the host has 4)");
}

} // namespace

namespace {

// Script files are UTF-8 as the tools write them and editors save them; the engine holds names in
// the game's code page. A file that is not UTF-8 is already in the code page.
TEST(ScriptText, UTF8IsConvertedIntoTheGamesCodePageAndOtherTextIsTakenAsItIs) {
    ASSERT_TRUE(simhost::setCodePage("1251", nullptr));
    const std::string inCodePage = "sheet hero \"\xC4\xE5\xF0\xE5\xE2\xEE\" 0\n"; // "Дерево"
    std::string text = "\xEF\xBB\xBFsheet hero \"\xD0\x94\xD0\xB5\xD1\x80\xD0\xB5\xD0\xB2\xD0\xBE\" 0\n";
    std::string error;
    EXPECT_TRUE(preview::scriptInCodePage(text, "view.txt", &error)) << error;
    EXPECT_EQ(text, inCodePage);
    EXPECT_TRUE(preview::scriptInCodePage(text, "view.txt", &error)) << error;
    EXPECT_EQ(text, inCodePage);

    // A remark is the author's: it stays as written, whatever the code page has.
    std::string remark = "# \xE5\xA4\x95 \xD0\x94\nsheet hero \"a\"\"b\" 0\n"; // "夕 Д"
    EXPECT_TRUE(preview::scriptInCodePage(remark, "view.txt", &error)) << error;
    EXPECT_EQ(remark, "# \xE5\xA4\x95 \xD0\x94\nsheet hero \"a\"\"b\" 0\n");

    std::string chinese = "enter 1\n@set_background \"Panorama/\xE5\xA4\x95.png\"\n"; // "夕"
    EXPECT_FALSE(preview::scriptInCodePage(chinese, "view.txt", &error));
    EXPECT_EQ(error.rfind("view.txt:2: ", 0), 0u) << error;
    EXPECT_NE(error.find("code page 1251"), std::string::npos) << error;
    simhost::setCodePage("1252", nullptr);
}

} // namespace
