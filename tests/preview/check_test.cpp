// farview-preview --check on generated games: a clean game gives only the summary and exits 0; a
// game with one planted instance of every kind of problem names each with its place, what the
// plug-in does and a fix, and exits 1.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line_fixture.h"
#include "simhost/game_folder.h"
#include "support/game_writer.h"
#include "support/generated_game.h"
#include "tools/common/line_check.h"

namespace fs = std::filesystem;

namespace {

using gamefile::comment;
using simhost::EventCommand;

std::vector<uint8_t> fileBytes(const fs::path &file) {
    std::vector<uint8_t> bytes;
    simhost::readGameFile(file, bytes, nullptr);
    return bytes;
}

simhost::GameEvent eventWith(int32_t id, int32_t trigger, const std::vector<EventCommand> &commands) {
    simhost::GameEvent event{id, "Plants", 1, 1, {gamefile::sheetPage("", 0, 2, 1)}};
    event.pages.front().trigger = trigger;
    event.pages.front().commands = gamefile::commandList(commands);
    return event;
}

// A line of the planted list and what --check must say of it.
struct Planted {
    std::vector<EventCommand> commands;
    std::string said; // after "line N: "
};

class Check : public PreviewCommandLine {
protected:
    void SetUp() override {
        gamefile::GameShape shape = gamefile::smallGame("1251", 6);
        shape.mapsPerSetUp = 2;
        std::string error;
        ASSERT_TRUE(gamefile::writeGeneratedGame("Game", shape, made, &error)) << error;
        for (int32_t mapId : made.mapIds)
            if (std::find(made.mapsWithLines.begin(), made.mapsWithLines.end(), mapId) == made.mapsWithLines.end())
                withoutLines.push_back(mapId);
        ASSERT_GE(withoutLines.size(), 2u);
        ASSERT_FALSE(made.mapsWithLines.empty());
    }

    // Adds events to a map of the game.
    void plant(int32_t mapId, const std::vector<simhost::GameEvent> &events) {
        const fs::path file = "Game/" + simhost::mapFileName(mapId);
        simhost::GameMap map;
        std::string error;
        ASSERT_TRUE(simhost::readMapFile(fileBytes(file), file.filename().string(), map, &error)) << error;
        map.events.insert(map.events.end(), events.begin(), events.end());
        ASSERT_TRUE(gamefile::writeMap(file, map, &error)) << error;
    }

    std::string mapName(int32_t mapId) {
        simhost::GameFolder game;
        EXPECT_TRUE(simhost::openGame("Game", game, nullptr));
        simhost::setCodePage("1251", nullptr);
        const std::string name = tools::mapNamesOf(game)[mapId];
        simhost::setCodePage("1252", nullptr);
        return "map " + std::to_string(mapId) + " '" + name + "'";
    }

    gamefile::GeneratedGame made;
    std::vector<int32_t> withoutLines; // the maps that set no view up
};

TEST_F(Check, ACleanGameGivesTheSummaryAlone) {
    ASSERT_EQ(preview({"Game", "--check"}), 0) << out.str() << err.str();
    EXPECT_EQ(out.str(), "Checked 14 Farview lines in 6 maps and 1 common event (code page 1251): 0 errors, 0 warnings, "
                         "0 notes.\n");
}

TEST_F(Check, EveryPlantedProblemIsNamedWithItsPlaceAndAFix) {
    const std::string sheet = "CharSet/" + made.sheetNames[0] + ".png";
    const std::vector<Planted> planted = {
        {comment({"@Set_Horizon 80, 10"}), "error: `Set_Horizon` is no command of the plug-in's: it leaves the line "
                                           "to the host, which does nothing with it (names are exact, letter case "
                                           "too); write `set_horizon`"},
        {comment({"@set_horizon\xA0 80, 10"}), "error: `set_horizon\xC2\xA0` ends with a blank"},
        {comment({"@set_horisont 80, 10"}), "; did you mean `set_horizon`?"},
        {comment({"@play_sound \"bell\""}), "note: `play_sound` is no Farview command: the plug-in leaves the line "
                                            "to the host (another plug-in's?)"},
        {comment({"@set_boundary_texture 3"}), "error: set_boundary_texture has 1 parameter: the plug-in acts only on "
                                               "exactly 2, so it does nothing"},
        {comment({"@add_sprite \"k\", \"" + sheet + "\", 24, 32"}), "error: add_sprite has 4 parameters"},
        {comment({"@set_horizon 80"}), "warning: parameter 2 (horizon offset) is not given: the plug-in reads 0"},
        {comment({"@set_z_value \"120\""}), "error: parameter 1 (camera height) is the text \"120\" where the "
                                            "plug-in reads a number: it reads 0"},
        {comment({"@set_background 5"}), "error: parameter 1 (image) is the number 5 where the plug-in reads a text"},
        {comment({"@init_mode7 on"}), "error: parameter 1 (drawing) is the text \"on\", which the plug-in reads as no"},
        {comment({"@set_horizon 80.5, 10"}), "warning: parameter 1 (horizon) is 80.5 where the plug-in reads a whole "
                                             "number: it reads 80"},
        {comment({"@set_background \"Panorama/None.png\""}), "error: the image \"Panorama/None.png\" is not in the "
                                                             "game folder"},
        {comment({"@add_sprite \"k\", \"" + sheet + "\", 24, 32, 1, 1, 99"}), " has no event 99: the sprite stands "
                                                                              "on no character"},
        {comment({"@set_boundary_texture 999, 0"}), "error: the cell 999,0 lies outside map 1"},
        {comment({"@set_texture_scale 0"}), "warning: a scale of 0: the floor shows one texel's colour throughout, and no sprite stands on "
                                         "it"},
        {comment({"@set_z_value -5"}), "warning: a camera height of -5: the floor shows the ground behind the eye, upside down"},
        {comment({"Remember:", "@set_horizon 1, 1"}), "warning: a comment's further line"},
    };
    std::vector<EventCommand> list;
    std::vector<int32_t> lineOf;
    for (const Planted &plant : planted) {
        lineOf.push_back(static_cast<int32_t>(list.size() + plant.commands.size()));
        list.insert(list.end(), plant.commands.begin(), plant.commands.end());
    }
    list.push_back(gamefile::callCommonEvent(77));
    list.push_back(gamefile::callCommonEvent(2));
    plant(1, {eventWith(90, simhost::triggers::kActionKey, list)});
    // One map cuts its boundary and dresses the hero before its load, another draws without one.
    const int32_t early = withoutLines[0], unloaded = withoutLines[1];
    plant(early, {eventWith(91, simhost::triggers::kAutoStart,
                        gamefile::joined({comment({"@set_boundary_texture 0, 0"}),
                                                  comment({"@change_hero_sprite \"" + sheet + "\", 24, 32, 4"}),
                                                  comment({"@load_map_to_texture"})}))});
    plant(unloaded, {eventWith(92, simhost::triggers::kAutoStart, comment({"@init_mode7 true"}))});
    simhost::GameDatabase database;
    std::string error;
    ASSERT_TRUE(simhost::readDatabase(fileBytes("Game/Game.ldb"), "Game.ldb", database, &error)) << error;
    for (int32_t id : {2, 3}) {
        simhost::GameCommonEvent loop;
        loop.id = id;
        loop.commands = gamefile::commandList({gamefile::callCommonEvent(5 - id)});
        database.commonEvents.push_back(loop);
    }
    ASSERT_TRUE(gamefile::writeDatabase("Game/Game.ldb", database, &error)) << error;

    ASSERT_EQ(preview({"Game", "--check"}), 1) << out.str();
    const std::string said = out.str(), event = mapName(1) + ", event 90 'Plants', page 1, line ";
    for (size_t i = 0; i < planted.size(); ++i) {
        const std::string place = event + std::to_string(lineOf[i]) + ": ";
        const size_t at = said.find(place);
        ASSERT_NE(at, std::string::npos) << place << "\n" << said;
        EXPECT_NE(said.substr(at, said.find('\n', at) - at).find(planted[i].said), std::string::npos)
            << planted[i].said << "\n" << said;
    }
    EXPECT_NE(said.find("calls common event 77, which Game.ldb does not hold"), std::string::npos) << said;
    EXPECT_NE(said.find("common event 3, line 1 calls common event 2, which is running already (a loop)"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find(mapName(early) + ", event 91 'Plants', page 1, line 1: error: set_boundary_texture runs before "
                                     "the map's load_map_to_texture"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("line 2: error: change_hero_sprite runs before the map's load_map_to_texture"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find(mapName(unloaded) + ": warning: the lines run on entering it turn drawing on (init_mode7) but load "
                                     "no map texture"),
              std::string::npos)
        << said;
    // --all-maps gives each map's problems in its report.
    ASSERT_EQ(preview({"Game", "--all-maps", "-o", "maps"}), 0) << err.str();
    EXPECT_NE(out.str().find("Problems in the game's own lines"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  " + mapName(early) + ", event 91 'Plants', page 1, line 1: error: set_boundary_texture"),
              std::string::npos)
        << out.str();
}

} // namespace
