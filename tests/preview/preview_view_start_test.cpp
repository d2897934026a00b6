// How farview-preview --map starts a game's view by itself: the hero looks as the game's database
// has him, the map's own background fills the band above the horizon, a cell outside the map is
// refused, and a broken actor list costs the hero his look and nothing else.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "command_line_fixture.h"
#include "simhost/game_folder.h"
#include "simhost/simhost.h"
#include "support/game_writer.h"
#include "support/generated_game.h"
#include "support/small_game.h"
#include "tools/common/view_start.h"

namespace fs = std::filesystem;

namespace {

class ViewStart : public PreviewCommandLine {
protected:
    gamefile::GeneratedGame writeGame(const std::string &folder, const gamefile::GameShape &shape) {
        gamefile::GeneratedGame game;
        std::string error;
        EXPECT_TRUE(gamefile::writeGeneratedGame(folder, shape, game, &error)) << error;
        return game;
    }

    // A game of one 20 x 15 map whose database is given.
    void writeSmallGame(const simhost::GameDatabase &database) {
        ASSERT_TRUE(farview_test::writeOneColourImage("Game/ChipSet/tiles.png", 480, 256, 1, 0x40a040));
        simhost::GameMap map;
        map.lower.assign(20 * 15, 5000);
        map.upper.assign(20 * 15, 10001);
        std::string error;
        ASSERT_TRUE(gamefile::writeMap("Game/Map0001.lmu", map, &error)) << error;
        ASSERT_TRUE(gamefile::writeDatabase("Game/Game.ldb", database, &error)) << error;
    }

    static simhost::GameDatabase fieldsDatabase() {
        simhost::GameDatabase database;
        database.tilesets.push_back({1, "Fields", "tiles", {}, {}, {}});
        return database;
    }

    static std::string mapScript(int32_t mapId) { return readWritten("out/map-" + std::to_string(mapId) + ".txt"); }
    // A name of the game as the script written (UTF-8) gives it.
    static std::string inScript(const std::string &name, const std::string &codePage) {
        simhost::setCodePage(codePage, nullptr);
        const std::string utf8 = simhost::toUtf8(name);
        simhost::setCodePage("1252", nullptr);
        return utf8;
    }

    // Whether the hero, who stands at the screen's centre column with his feet on row 208 at the
    // default view, shows the colour of that character of the generated game's sheets.
    static bool heroShows(const gamefile::GeneratedGame &game, const simhost::GameActor &actor) {
        int32_t sheet = 0;
        while (size_t(sheet) < game.sheetNames.size() && game.sheetNames[size_t(sheet)] != actor.sheetName) ++sheet;
        return simhost::screenPixel(160, 190) == simhost::rgb565(gamefile::characterColour(sheet, actor.sheetIndex));
    }
};

// The last frame of --map is its turn's last, a full turn round: the view it started from.
TEST_F(ViewStart, TheHeroLooksAsThePartysLeaderElseAsActorOne) {
    gamefile::GameShape shape = gamefile::smallGame("1251", 1);
    shape.startingParty = {3, 1};
    const gamefile::GeneratedGame party = writeGame("Party", shape);
    ASSERT_EQ(preview({"Party", "--map", "1"}), 0) << err.str();
    const simhost::GameActor &leader = party.actors.at(2);
    EXPECT_NE(mapScript(1).find("\n# The hero looks as actor 3 of Game.ldb, the first member of the starting party.\n"
                                "hero "),
              std::string::npos)
        << mapScript(1);
    EXPECT_NE(mapScript(1).find("\nsheet hero " + inScript(leader.sheetName, "1251") + " " +
                                std::to_string(leader.sheetIndex) + "\n"),
              std::string::npos)
        << mapScript(1);
    EXPECT_TRUE(heroShows(party, leader));

    shape.startingParty = {};
    const gamefile::GeneratedGame alone = writeGame("Alone", shape);
    ASSERT_EQ(preview({"Alone", "--map", "1"}), 0) << err.str();
    const simhost::GameActor &first = alone.actors.at(0);
    EXPECT_NE(out.str().find("\nthe hero looks as actor 1 of Game.ldb (the starting party is empty): CharSet/"),
              std::string::npos)
        << out.str();
    EXPECT_NE(mapScript(1).find("\nsheet hero " + inScript(first.sheetName, "1251") + " 0\n"), std::string::npos)
        << mapScript(1);
    EXPECT_TRUE(heroShows(alone, first));
}

TEST_F(ViewStart, TheMapsOwnBackgroundFillsTheBandAndAMapWithoutOneKeepsNone) {
    gamefile::GameShape shape = gamefile::smallGame("950", 6);
    shape.mapsPerBackground = 2;
    const gamefile::GeneratedGame game = writeGame("Game", shape);
    int32_t with = -1, without = -1, background = -1;
    for (size_t i = 0; i < game.mapIds.size(); ++i) {
        if (game.mapBackgrounds[i] >= 0 && with < 0) {
            with = game.mapIds[i];
            background = game.mapBackgrounds[i];
        }
        if (game.mapBackgrounds[i] < 0 && without < 0) without = game.mapIds[i];
    }
    ASSERT_TRUE(with > 0 && without > 0);

    constexpr int32_t kBandRow = 20;
    ASSERT_EQ(preview({"Game", "--map", std::to_string(with)}), 0) << err.str();
    const std::string file = "Panorama/" + inScript(game.backgroundNames[size_t(background)], "950") + ".png";
    EXPECT_NE(mapScript(with).find("its default view, with @set_background \"" + file + "\".\n"), std::string::npos)
        << mapScript(with);
    EXPECT_EQ(simhost::screenPixel(7, kBandRow), simhost::rgb565(gamefile::backgroundRowColour(background, kBandRow)));

    ASSERT_EQ(preview({"Game", "--map", std::to_string(without)}), 0) << err.str();
    EXPECT_EQ(mapScript(without).find("@set_background"), std::string::npos) << mapScript(without);
    EXPECT_NE(mapScript(without).find(" has no background image"), std::string::npos) << mapScript(without);
    EXPECT_EQ(simhost::screenPixel(7, kBandRow), 0); // the band of a view without a background is black
}

// The plug-in reads a map's tiles from the first byte 0x47 of its file. A map that holds one before
// its lower layer (here a section the editor writes, whose value is 71) is drawn wrong, and both
// --map and --all-maps say so, with the byte, where it lies and what keeps it out.
TEST_F(ViewStart, AMapThePluginReadsFromAStrayByteIsWarnedOf) {
    writeSmallGame(fieldsDatabase());
    std::string bytes = readWritten("Game/Map0001.lmu");
    bytes.insert(size_t(1 + uint8_t(bytes[0])), "\x0B\x01\x47"); // after the signature
    std::ofstream("Game/Map0001.lmu", std::ios::binary | std::ios::trunc) << bytes;
    const std::string warning = "Map0001.lmu holds a byte 0x47 before its lower layer, at byte 17 in its section "
                                "0x0B: the plug-in takes the first such byte for the layer's start and reads the "
                                "tiles from there, so this map's floor is drawn wrong.";

    ASSERT_EQ(preview({"Game", "--map", "1"}), 0) << err.str();
    EXPECT_NE(err.str().find("[farview-preview] " + warning + "\n"), std::string::npos) << err.str();
    ASSERT_EQ(preview({"Game", "--all-maps", "-o", "maps"}), 0) << err.str();
    EXPECT_NE(readWritten("maps/report.txt").find("\nFloors read from a stray byte 0x47 (1):\n  map 1: " + warning),
              std::string::npos)
        << readWritten("maps/report.txt");

    simhost::GameMap wide;
    wide.width = 199;
    wide.strayLayerMark = simhost::StrayLayerMark{17, simhost::sections::kWidthSection};
    EXPECT_NE(tools::strayLayerMarkWarning(wide, "Map0002.lmu")
                  .find("at byte 17 in its width (199): the plug-in takes the first such byte for the layer's start "
                        "and reads the tiles from there, so this map's floor is drawn wrong. A width whose last "
                        "7-bit group is not 71 (71, 199, 327, ... are) keeps the byte out."),
              std::string::npos);
}

TEST_F(ViewStart, ACellOutsideTheMapIsRefusedWithTheMapsSize) {
    writeSmallGame(fieldsDatabase());
    EXPECT_EQ(preview({"Game", "--map", "1", "--hero", "999,999"}), 1);
    EXPECT_NE(err.str().find("--hero: the cell 999,999 lies outside map 1, which is 20 x 15 cells: give a column "
                             "from 0 to 19 and a row from 0 to 14\n"),
              std::string::npos)
        << err.str();
    EXPECT_FALSE(fs::exists("out/view.png"));
    EXPECT_EQ(preview({"Game", "--map", "1", "--hero", "20,14"}), 1);
    EXPECT_EQ(preview({"Game", "--map", "1", "--hero", "19,14"}), 0) << err.str();
}

// The actor list says two actors and holds one: the second's id would stand at byte 27, after the
// 16-byte signature, the section's id and length, the count and the first actor's 8 bytes.
TEST_F(ViewStart, ABrokenActorListCostsTheHeroHisLookAndNothingElse) {
    simhost::GameDatabase database = fieldsDatabase();
    database.actors = {{1, "Hero", 0}};
    writeSmallGame(database);
    std::vector<uint8_t> bytes = gamefile::encodeDatabase(database);
    ASSERT_EQ(bytes.at(16), 0x0B);
    bytes.at(18) = 2;
    std::ofstream("Game/Game.ldb", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    const std::string fault =
        "the hero has no character sheet: Cannot read \"Game.ldb\" at byte 27: section 0x0B ends before an actor id";

    ASSERT_EQ(preview({"Game", "--map", "1"}), 0) << err.str();
    EXPECT_NE(err.str().find("[simhost] " + fault + "\n"), std::string::npos) << err.str();
    EXPECT_TRUE(fs::exists("out/view.png"));
    EXPECT_NE(mapScript(1).find("\nsheet hero \"\" 0\n"), std::string::npos) << mapScript(1);

    ASSERT_EQ(preview({"Game", "--all-maps", "-o", "maps"}), 0) << err.str();
    EXPECT_NE(readWritten("maps/report.txt").find("\nT" + fault.substr(1) + ".\n"), std::string::npos)
        << readWritten("maps/report.txt");
}

} // namespace
