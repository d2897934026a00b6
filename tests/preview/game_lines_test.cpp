// The game's own lines through farview-preview, on a generated game in code page 1251 whose map 1
// sets its view up in an auto-start event (calling a common event twice, and a pair of common
// events that call each other), turns it in a parallel event, holds an action-key event before the
// hero with a line inside a branch, and an event whose list is broken. What the game's lines draw
// equals what a script draws with the same lines written out.
#include <algorithm>
#include <fstream>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line_fixture.h"
#include "simhost/game_folder.h"
#include "support/game_writer.h"
#include "support/generated_game.h"

namespace fs = std::filesystem;

namespace {

using gamefile::callCommonEvent;
using gamefile::comment;
using gamefile::joined;
using simhost::EventCommand;

// "Камера" and "Вид" as the game holds them, in code page 1251.
const char *const kCamera = "\xCA\xE0\xEC\xE5\xF0\xE0";
const char *const kView = "\xC2\xE8\xE4";

std::vector<uint8_t> fileBytes(const fs::path &file) {
    std::vector<uint8_t> bytes;
    simhost::readGameFile(file, bytes, nullptr);
    return bytes;
}

simhost::GameEvent eventWith(int32_t id, int32_t column, int32_t row, int32_t trigger,
                             const std::vector<EventCommand> &commands) {
    simhost::GameEvent event{id, kCamera, column, row, {gamefile::sheetPage("", 0, 2, 1)}};
    event.pages.front().trigger = trigger;
    event.pages.front().commands = gamefile::commandList(commands);
    return event;
}

simhost::GameCommonEvent commonEvent(int32_t id, const std::vector<EventCommand> &commands) {
    simhost::GameCommonEvent event;
    event.id = id;
    event.name = kView;
    event.commands = gamefile::commandList(commands);
    return event;
}

// The hero stands on (2, 2) facing up, before the action-key event on (2, 1).
constexpr const char *kHeroSteps = "enter 1\nhero 2 2 0\n";
// What the set-up and the parallel event send, written out: the common event called twice.
constexpr const char *kEntryLines = "@load_map_to_texture\n@set_horizon 70, 20\n@set_z_value 120\n"
                                    "@set_horizon 70, 20\n@set_z_value 120\n@init_mode7 true\n@rotate_right_by 30\n";

class GameLines : public PreviewCommandLine {
protected:
    void SetUp() override {
        gamefile::GeneratedGame made;
        std::string error;
        ASSERT_TRUE(gamefile::writeGeneratedGame("Game", gamefile::smallGame("1251", 2), made, &error)) << error;
        simhost::GameMap map;
        ASSERT_TRUE(simhost::readMapFile(fileBytes("Game/Map0001.lmu"), "Map0001.lmu", map, &error)) << error;
        map.events.clear();
        map.events.push_back(eventWith(30, 9, 9, simhost::triggers::kAutoStart,
                                       joined({comment({"Настройка вида"}), comment({"@load_map_to_texture"}),
                                               {callCommonEvent(1), callCommonEvent(1), callCommonEvent(2)},
                                               comment({"@init_mode7 true"})})));
        // Only a comment's first line is a command: the further line never runs.
        map.events.push_back(eventWith(31, 9, 10, simhost::triggers::kParallel,
                                       comment({"@rotate_right_by 30", "@set_wrapping yes"})));
        map.events.push_back(eventWith(32, 2, 1, simhost::triggers::kActionKey,
                                       comment({"@set_horizon 40, 25"}, /*indent=*/1)));
        simhost::GameEvent broken = eventWith(33, 9, 11, simhost::triggers::kAutoStart, comment({"@set_z_value 5"}));
        broken.pages.front().commands.bytes.pop_back(); // the end command's last byte is missing
        broken.pages.front().commands.declaredLength.reset();
        map.events.push_back(broken);
        ASSERT_TRUE(gamefile::writeMap("Game/Map0001.lmu", map, &error)) << error;

        simhost::GameDatabase database;
        ASSERT_TRUE(simhost::readDatabase(fileBytes("Game/Game.ldb"), "Game.ldb", database, &error)) << error;
        database.commonEvents = {
            commonEvent(1, joined({comment({"@set_horizon 70, 20"}), comment({"@set_z_value 120"})})),
            commonEvent(2, {callCommonEvent(3)}), commonEvent(3, {callCommonEvent(2)})};
        // Calls that fan out: common event 40 calls 41 ten times, 41 calls 42 ten times, ... to 56.
        for (int32_t id = 40; id <= 56; ++id)
            database.commonEvents.push_back(commonEvent(id, std::vector<EventCommand>(10, callCommonEvent(id + 1))));
        // A chain of calls 17 deep: common event 10 calls 11, ..., 26 calls 27; each sets the horizon.
        for (int32_t id = 10; id <= 27; ++id)
            database.commonEvents.push_back(commonEvent(
                id, joined({comment({"@set_horizon " + std::to_string(id) + ", 25"}), {callCommonEvent(id + 1)}})));
        ASSERT_TRUE(gamefile::writeDatabase("Game/Game.ldb", database, &error)) << error;
    }

    // The frame a script draws: the game's lines on, or off and written out in the script.
    std::string frameOf(const std::string &script, bool gameLines) {
        writeFile("script.txt", script + "frame view.png\n");
        std::vector<std::string> arguments{"Game", "script.txt", "-o", gameLines ? "with" : "without"};
        if (!gameLines) arguments.push_back("--no-game-lines");
        EXPECT_EQ(preview(arguments), 0) << err.str();
        return readWritten(fs::path(gameLines ? "with" : "without") / "view.png");
    }

    static void writeFile(const fs::path &file, const std::string &text) { std::ofstream(file) << text; }

    static size_t count(const std::string &text, const std::string &words) {
        size_t found = 0;
        for (size_t at = text.find(words); at != std::string::npos; at = text.find(words, at + 1)) ++found;
        return found;
    }
};

TEST_F(GameLines, EnteringAMapDrawsWhatItsLinesWrittenOutDraw) {
    const std::string own = frameOf(kHeroSteps, true);
    const std::string said = out.str(), told = err.str();
    EXPECT_EQ(own, frameOf(std::string(kHeroSteps) + kEntryLines, false));
    EXPECT_NE(own, frameOf(std::string(kHeroSteps) + "@load_map_to_texture\n@init_mode7 true\n", false));
    EXPECT_NE(said.find("entering map 1 ran map 1, event 30 'Камера', page 1: 6 lines"), std::string::npos) << said;
    EXPECT_NE(said.find("entering map 1 ran map 1, event 31 'Камера', page 1: 1 line"), std::string::npos) << said;
    // The loop is told once, though the host meets it on both sides; the broken list is named.
    EXPECT_EQ(count(told, "(a loop): the call is skipped"), 1u) << told;
    EXPECT_NE(told.find("common event 3 'Вид', line 1 calls common event 2 'Вид', which is running already"),
              std::string::npos)
        << told;
    EXPECT_NE(told.find("Cannot read \"Map0001.lmu\" at byte "), std::string::npos) << told;
    EXPECT_NE(told.find(": event 33, page 1: the list ends before a command's parameter count"), std::string::npos) << told;
}

TEST_F(GameLines, TheActionKeyRunsTheEventTheHeroFaces) {
    const std::string pressed = frameOf(std::string(kHeroSteps) + "action\n", true);
    EXPECT_NE(out.str().find("ran map 1, event 32 'Камера', page 1: 1 line"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("line 1 stands inside a branch or another block"), std::string::npos) << err.str();
    EXPECT_EQ(pressed, frameOf(std::string(kHeroSteps) + kEntryLines + "@set_horizon 40, 25\n", false));
    // Turned away, the hero faces nothing the action key starts: the view stays.
    const std::string away = frameOf("enter 1\nhero 2 2 2\naction\n", true);
    EXPECT_NE(out.str().find("the hero faces no event that the action key starts"), std::string::npos) << out.str();
    EXPECT_EQ(away, frameOf("enter 1\nhero 2 2 2\n" + std::string(kEntryLines), false));
}

// Calls nest 16 deep: the 17th is skipped and told.
TEST_F(GameLines, CallsNestSixteenDeep) {
    writeFile("script.txt", std::string(kHeroSteps) + "run common 10\n");
    ASSERT_EQ(preview({"Game", "script.txt"}), 0) << err.str();
    EXPECT_NE(out.str().find("ran common event 10 'Вид': 17 lines"), std::string::npos)
        << out.str();
    EXPECT_NE(err.str().find("common event 26 'Вид', line 2 calls common event 27 'Вид' more than 16 calls deep"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(frameOf(std::string(kHeroSteps) + "run common 10\n", true),
              frameOf(std::string(kHeroSteps) + kEntryLines + "@set_horizon 26, 25\n", false));
}

// Calls that fan out at every level stop once the run has gone through its most commands, and say so.
TEST_F(GameLines, CallsThatFanOutStopAtTheRunsMostCommands) {
    writeFile("script.txt", std::string(kHeroSteps) + "run common 40\n");
    ASSERT_EQ(preview({"Game", "script.txt"}), 0) << err.str();
    EXPECT_NE(err.str().find("common event 40 '" + std::string("Вид") + "' has run more than 1000000 commands"),
              std::string::npos)
        << err.str();
}

// A map without lines shows its default view after one with them, not their values; without the
// game's lines, entering runs nothing.
TEST_F(GameLines, AMapWithoutLinesShowsItsDefaultViewWhateverCameBefore) {
    const std::string after = frameOf(std::string(kHeroSteps) + "enter 2\nhero 2 2 0\n", true);
    EXPECT_NE(out.str().find("map 2 runs no Farview line on entry: its default view"), std::string::npos) << out.str();
    EXPECT_EQ(after, frameOf("enter 2\nhero 2 2 0\n", true));
    EXPECT_EQ(after, frameOf("enter 2\nhero 2 2 0\n@load_map_to_texture\n@init_mode7 true\n", false));
    writeFile("script.txt", std::string(kHeroSteps) + "@is_mode7_rendering 1\nexpect variable 1 0\n");
    EXPECT_EQ(preview({"Game", "script.txt", "--no-game-lines"}), 0) << err.str();
}

} // namespace
