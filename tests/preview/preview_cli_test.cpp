// farview-preview's command line, called in-process: each form renders what it promises into the
// output folder, and every mistake ends with a message and a non-zero status.
#include <gif_lib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line_fixture.h"
#include "simhost/game_folder.h"
#include "support/game_writer.h"
#include "support/host_fixture.h"
#include "support/small_game.h"
#include "tools/demo/demo_game.h"
#include "tools/preview/preview_cli.h"

namespace fs = std::filesystem;

namespace {

int gifFrameCount(const fs::path &path, int *width = nullptr) {
    int error = 0;
    GifFileType *file = DGifOpenFileName(path.string().c_str(), &error);
    if (file == nullptr) return -1;
    int count = DGifSlurp(file) == GIF_OK ? file->ImageCount : -1;
    if (width != nullptr) *width = file->SWidth;
    DGifCloseFile(file, &error);
    return count;
}

std::string readText(const fs::path &path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t countFiles(const fs::path &folder, const std::string &extension) {
    size_t count = 0;
    std::error_code ignored;
    for (const auto &entry : fs::directory_iterator(folder, ignored))
        if (entry.path().extension() == extension) ++count;
    return count;
}

// A game folder of one 20 x 15 map of plain tiles, with a database whose tileset 1 uses graphic.
void writeGame(const fs::path &folder, const std::string &graphic, bool withDatabase) {
    ASSERT_TRUE(farview_test::writeOneColourImage((folder / "ChipSet" / "tiles.png").string(), 480, 256, 1, 0x40a040));
    simhost::GameMap map;
    map.lower.assign(20 * 15, 5000);
    map.upper.assign(20 * 15, 10001);
    std::string error;
    ASSERT_TRUE(gamefile::writeMap(folder / "Map0001.lmu", map, &error)) << error;
    if (!withDatabase) return;
    simhost::GameDatabase database;
    simhost::GameTileset tileset;
    tileset.id = 1;
    tileset.name = "Fields";
    tileset.graphicName = graphic;
    database.tilesets.push_back(tileset);
    ASSERT_TRUE(gamefile::writeDatabase(folder / "Game.ldb", database, &error)) << error;
}

void writeFile(const fs::path &path, const std::string &text) { std::ofstream(path) << text; }

// ---- The forms ------------------------------------------------------------------------------

TEST_F(PreviewCommandLine, HelpShowsTheFormsWithExamples) {
    EXPECT_EQ(preview({"--help"}), 0);
    for (const char *text : {"Usage: farview-preview", "GAME_FOLDER", "SCRIPT", "--map", "--hero COLUMN,ROW",
                             "-o,--out", "--code-page", "--module", "Examples:", "farview-preview MyGame --map 3"})
        EXPECT_NE(out.str().find(text), std::string::npos) << text;
}

TEST_F(PreviewCommandLine, NoArgumentsRendersTheDemoGameIntoOut) {
    ASSERT_EQ(preview({}), 0) << err.str();
    EXPECT_TRUE(fs::is_directory(scratch.path() / "out" / "demo-game"));
    EXPECT_GT(countFiles(scratch.path() / "out", ".png"), 1u);
    EXPECT_EQ(countFiles(scratch.path() / "out", ".gif"), 1u);
    EXPECT_NE(out.str().find("into out/"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(".gif"), std::string::npos) << out.str();
    EXPECT_EQ(fs::current_path(), scratch.path());
}

TEST_F(PreviewCommandLine, TheDemoGameMadeByTheBuildIsUsedWhenThere) {
    std::string error;
    fs::create_directories(scratch.path() / "built");
    ASSERT_TRUE(preview::writeDemoGame(scratch.path() / "built", &error)) << error;
    paths.builtDemoFolder = scratch.path() / "built";
    ASSERT_EQ(preview({"-o", "shots"}), 0) << err.str();
    EXPECT_FALSE(fs::exists(scratch.path() / "shots" / "demo-game"));
    EXPECT_GT(countFiles(scratch.path() / "shots", ".png"), 1u);
}

TEST_F(PreviewCommandLine, AScriptRunsAgainstAGameFolder) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    writeFile("view.txt",
              "enter 1\nhero 10 7\n@load_map_to_texture\n@init_mode7 true\nframe a.png\nexpect drawn true\n");
    ASSERT_EQ(preview({"MyGame", "view.txt", "-o", "shots"}), 0) << err.str();
    EXPECT_TRUE(fs::exists(scratch.path() / "shots" / "a.png"));
    EXPECT_NE(out.str().find("wrote 1 frame (a.png) into shots/"), std::string::npos) << out.str();
    EXPECT_EQ(fs::current_path(), scratch.path()); // the game folder was current only while it ran
}

TEST_F(PreviewCommandLine, AScriptErrorNamesTheFileAndLineAndFails) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    writeFile("bad.txt", "enter 1\n\nbogus 3\n");
    EXPECT_EQ(preview({"MyGame", "bad.txt"}), 1);
    EXPECT_NE(err.str().find("bad.txt:3: unknown step 'bogus'"), std::string::npos) << err.str();
    // Entering a map without Farview lines makes its default view, drawing on.
    writeFile("expect.txt", "enter 1\n@is_mode7_rendering 2\nexpect variable 2 0\n");
    EXPECT_EQ(preview({"MyGame", "expect.txt"}), 1);
    EXPECT_NE(err.str().find("expect.txt:3: expected variable 2 = 0, found 1"), std::string::npos) << err.str();
}

TEST_F(PreviewCommandLine, AMapRendersAStillATurnAndItsGif) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    ASSERT_EQ(preview({"MyGame", "--map", "1"}), 0) << err.str();
    fs::path folder = scratch.path() / "out";
    EXPECT_TRUE(fs::exists(folder / "view.png"));
    EXPECT_TRUE(fs::exists(folder / "turn-01.png"));
    EXPECT_TRUE(fs::exists(folder / "turn-24.png"));
    int width = 0;
    EXPECT_EQ(gifFrameCount(folder / "turn.gif", &width), preview::kTurnFrames);
    EXPECT_EQ(width, 320);
    EXPECT_NE(readText(folder / "map-1.txt").find("\nhero 10 7\n"), std::string::npos); // the map's centre
    EXPECT_NE(out.str().find("wrote the animation out/turn.gif"), std::string::npos) << out.str();
}

TEST_F(PreviewCommandLine, TheHeroAndTheBackgroundAreTheAuthors) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    ASSERT_EQ(preview({"MyGame", "--map", "1", "--hero", "3,4"}), 0) << err.str();
    EXPECT_NE(readText(scratch.path() / "out" / "map-1.txt").find("\nhero 3 4\n"), std::string::npos);
    ASSERT_EQ(preview({"MyGame", "--map", "1", "--background", "Sky \"1\".png"}), 0) << err.str();
    EXPECT_NE(readText(scratch.path() / "out" / "map-1.txt").find("\n@set_background \"Sky \\\"1\\\".png\"\n"),
              std::string::npos);
    EXPECT_EQ(preview({"MyGame", "--map", "1", "--hero", "3;4"}), 1);
    EXPECT_NE(err.str().find("--hero takes COLUMN,ROW"), std::string::npos) << err.str();
}

// ---- Mistakes -------------------------------------------------------------------------------

TEST_F(PreviewCommandLine, WrongFormsAreRefused) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    writeFile("view.txt", "frame\n");
    struct Case {
        std::vector<std::string> arguments;
        const char *message;
    } cases[] = {
        {{"MyGame"}, "GAME_FOLDER needs a SCRIPT, --map N, --all-maps or --check"},
        {{"MyGame", "view.txt", "--map", "1"}, "either a SCRIPT or --map, not both"},
        {{"--map", "1"}, "--map needs a GAME_FOLDER"},
        {{"MyGame", "view.txt", "--hero", "1,2"}, "--hero goes with --map"},
        {{"MyGame", "view.txt", "--background", "sky.png"}, "--background goes with --map"},
        {{"Nowhere", "view.txt"}, "Nowhere"},
        {{"MyGame", "missing.txt"}, "missing.txt"},
        {{"MyGame", "--map", "x"}, "--map"},
        {{"--colour"}, "--colour"},
    };
    for (const Case &c : cases) {
        EXPECT_NE(preview(c.arguments), 0) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
}

TEST_F(PreviewCommandLine, TheCodePageAndTheModuleCanBeChosen) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    EXPECT_EQ(preview({"MyGame", "--map", "1", "--code-page", "1251"}), 0) << err.str();
    EXPECT_EQ(simhost::codePage(), "1252"); // the game's code page held while it ran
    EXPECT_EQ(preview({"MyGame", "--map", "1", "--code-page", "bogus"}), 1);
    EXPECT_NE(err.str().find("bogus"), std::string::npos) << err.str();
    EXPECT_EQ(preview({"MyGame", "--map", "1", "--module", "no-such-module.so"}), 1);
    EXPECT_NE(err.str().find("no-such-module.so"), std::string::npos) << err.str();
}

TEST_F(PreviewCommandLine, AMapNeedsADatabaseAndAMapFile) {
    writeGame(scratch.path() / "Bare", "tiles", false);
    EXPECT_EQ(preview({"Bare", "--map", "1"}), 1);
    EXPECT_NE(err.str().find("has no database"), std::string::npos) << err.str();
    writeGame(scratch.path() / "Unpacked" / "MyGame", "tiles", true);
    EXPECT_EQ(preview({"Unpacked", "--map", "1"}), 1);
    EXPECT_NE(err.str().find("the folder \"MyGame\" in it holds map files"), std::string::npos) << err.str();
    writeGame(scratch.path() / "MyGame", "tiles", true);
    EXPECT_EQ(preview({"MyGame", "--map", "7"}), 1);
    EXPECT_NE(err.str().find("Map0007.lmu"), std::string::npos) << err.str();
}

// The database is read by the first step that needs it: a script that names its map and tileset
// itself runs in a folder whose database is broken, and `enter` stops at its line.
TEST_F(PreviewCommandLine, ABrokenDatabaseStopsOnlyTheStepsThatNeedIt) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    std::ofstream("MyGame/Game.ldb", std::ios::binary | std::ios::trunc) << "\x03a";
    writeFile("own.txt", "map 1 20 15\ntileset Fields tiles\nhero 10 7\n@load_map_to_texture\n@init_mode7 true\n"
                         "frame a.png\nexpect drawn true\n");
    EXPECT_EQ(preview({"MyGame", "own.txt"}), 0) << err.str();
    writeFile("enter.txt", "frame before.png\nenter 1\n");
    EXPECT_EQ(preview({"MyGame", "enter.txt"}), 1);
    EXPECT_NE(err.str().find("enter.txt:2: Cannot read \"Game.ldb\" at byte 0: "), std::string::npos) << err.str();
    EXPECT_TRUE(fs::exists(scratch.path() / "out" / "before.png"));
}

// Message boxes and the host's own reports go out the same way; the plug-in's own (caption
// "Farview") are seen in preview_script_test.cpp, as a game folder cannot provoke them.
TEST_F(PreviewCommandLine, TheHostsMessagesArePrintedWithTheirCaption) {
    writeGame(scratch.path() / "MyGame", "no-such-graphic", true);
    EXPECT_EQ(preview({"MyGame", "--map", "1"}), 0) << err.str();
    EXPECT_EQ(err.str().rfind("[simhost] Cannot load image \"ChipSet/no-such-graphic.png\"", 0), 0u) << err.str();
}

TEST_F(PreviewCommandLine, ProgressOverwritesItsLineOnATerminal) {
    writeGame(scratch.path() / "MyGame", "tiles", true);
    ASSERT_EQ(preview({"MyGame", "--map", "1"}), 0) << err.str();
    EXPECT_NE(err.str().find("frame 7/25\n"), std::string::npos) << err.str();
    ASSERT_EQ(preview({"MyGame", "--map", "1"}, true), 0) << err.str();
    EXPECT_NE(err.str().find("\rframe 7/25\033[K"), std::string::npos) << err.str();
    EXPECT_EQ(err.str().find('\n'), std::string::npos) << err.str(); // nothing but the progress line
}

} // namespace
