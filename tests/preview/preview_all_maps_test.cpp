// farview-preview GAME --all-maps on generated games: every map rendered as a still and a thumbnail,
// failures and missing files reported without stopping the run, and the game's code page found by
// its file names.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command_line_fixture.h"
#include "simhost/game_folder.h"
#include "support/game_writer.h"
#include "support/generated_game.h"
#include "support/small_game.h"
#include "tools/preview/contact_sheet.h"
#include "tools/preview/preview_all_maps.h"
#include "tools/preview/preview_cli.h"

namespace fs = std::filesystem;

namespace {

// "map 3" or "maps 1-3, 7" as the ids it names.
std::vector<int32_t> idsOf(const std::string &list) {
    std::vector<int32_t> ids;
    std::istringstream in(list.substr(list.find(' ') + 1));
    for (std::string item; std::getline(in >> std::ws, item, ',');) {
        const size_t dash = item.find('-');
        const int32_t first = std::stoi(item.substr(0, dash));
        const int32_t last = dash == std::string::npos ? first : std::stoi(item.substr(dash + 1));
        for (int32_t id = first; id <= last; ++id) ids.push_back(id);
    }
    return ids;
}

// The width and height in a PNG file's header.
std::pair<int32_t, int32_t> pngSize(const fs::path &path) {
    const std::string bytes = readWritten(path);
    if (bytes.size() < 24) return {0, 0};
    auto number = [&](size_t at) {
        return int32_t(uint8_t(bytes[at])) << 24 | int32_t(uint8_t(bytes[at + 1])) << 16 |
               int32_t(uint8_t(bytes[at + 2])) << 8 | int32_t(uint8_t(bytes[at + 3]));
    };
    return {number(16), number(20)};
}

class AllMaps : public PreviewCommandLine {
protected:
    gamefile::GeneratedGame writeGame(const std::string &codePage, int32_t maps) {
        gamefile::GeneratedGame game;
        std::string error;
        EXPECT_TRUE(gamefile::writeGeneratedGame("Game", gamefile::smallGame(codePage, maps), game, &error)) << error;
        return game;
    }

    // The maps of the game that use the tileset, and are not the one left out.
    static std::vector<int32_t> mapsOfTileset(const gamefile::GeneratedGame &game, int32_t tileset, int32_t except) {
        std::vector<int32_t> maps;
        for (size_t i = 0; i < game.mapIds.size(); ++i)
            if (game.mapTilesets[i] == tileset && game.mapIds[i] != except) maps.push_back(game.mapIds[i]);
        return maps;
    }
};

TEST_F(AllMaps, EveryMapIsRenderedAndWhatFailsIsReportedWithoutStoppingTheRun) {
    const gamefile::GeneratedGame game = writeGame("1252", 12);
    const int32_t broken = game.mapIds[4];
    std::ofstream("Game/" + simhost::mapFileName(broken), std::ios::binary | std::ios::trunc) << "\x04Sign\x02";
    const int32_t lacking = game.mapTilesets[7];
    fs::remove(fs::u8path("Game/" + game.graphicFiles[size_t(lacking) - 1]));

    EXPECT_EQ(preview({"Game", "--all-maps", "-o", "maps"}), 1) << err.str();
    for (int32_t mapId : game.mapIds)
        EXPECT_EQ(fs::exists("maps/" + preview::stillFileName(mapId)), mapId != broken) << mapId;
    const std::string report = readWritten("maps/report.txt");
    EXPECT_NE(out.str().find(report), std::string::npos) << out.str();
    EXPECT_EQ(report.rfind("Rendered 11 of 12 maps of Game into maps/: map-0001.png ... map-0013.png", 0), 0u)
        << report;
    EXPECT_NE(report.find("Failed (1):\n  map " + std::to_string(broken) + ": Cannot read \"" +
                          simhost::mapFileName(broken) + "\" at byte "),
              std::string::npos)
        << report;
    const std::string missing = "\n  ChipSet/" + simhost::toUtf8(game.graphicNames[size_t(lacking) - 1]) + ".png: ";
    ASSERT_NE(report.find(missing), std::string::npos) << report;
    const size_t listStart = report.find(missing) + missing.size();
    EXPECT_EQ(idsOf(report.substr(listStart, report.find('\n', listStart) - listStart)),
              mapsOfTileset(game, lacking, broken));
    EXPECT_EQ(report.find("Messages"), std::string::npos) << report; // the missing graphic is not told twice
    const preview::ContactSheet sheet(game.mapIds.size());
    EXPECT_EQ(pngSize("maps/contact-sheet.png"), std::make_pair(sheet.width(), sheet.height()));
}

// A tileset for maps shown over the engine's background leaves its lower tiles transparent: every
// pixel of this one is index 0, so the floor of each map that uses it is all colour 0.
TEST_F(AllMaps, MapsWhoseFloorIsMostlyTheTilesetsColourZeroAreListed) {
    const gamefile::GeneratedGame game = writeGame("1252", 8);
    const int32_t keyed = game.mapTilesets[1];
    ASSERT_TRUE(farview_test::writeOneColourImage(fs::u8path("Game/" + game.graphicFiles[size_t(keyed) - 1]).string(),
                                                  480, 256, 0, 0xFF00FF));

    ASSERT_EQ(preview({"Game", "--all-maps", "-o", "maps"}), 0) << err.str();
    const std::string report = readWritten("maps/report.txt");
    const std::string heading = "\nFloors mostly in the tileset's colour 0 (";
    ASSERT_NE(report.find(heading), std::string::npos) << report;
    const size_t listStart = report.find("): ", report.find(heading)) + 3;
    EXPECT_EQ(idsOf(report.substr(listStart, report.find('\n', listStart) - listStart)), mapsOfTileset(game, keyed, -1))
        << report;
    EXPECT_NE(report.find("another tileset", listStart), std::string::npos) << report; // and what to do
}

// On a terminal a bar shows how many maps are done, on one line that the report does not follow;
// elsewhere nothing but the report is written.
TEST_F(AllMaps, AProgressBarShowsOnATerminalOnly) {
    writeGame("1252", 2);
    ASSERT_EQ(preview({"Game", "--all-maps"}, true), 0) << err.str();
    EXPECT_NE(err.str().find("\r[###############...............] 1/2 maps\033[K"), std::string::npos) << err.str();
    EXPECT_EQ(err.str().substr(err.str().size() - 4), "\r\033[K");
    ASSERT_EQ(preview({"Game", "--all-maps"}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
}

// Without --code-page the tool takes the code page under which the game's names find its files; a
// game named in Traditional Chinese read as 1252 lacks its graphics, though it still renders.
TEST_F(AllMaps, TheCodePageIsTheOneTheGamesFileNamesFind) {
    writeGame("950", 2);
    EXPECT_EQ(preview({"Game", "--all-maps", "-o", "found"}), 0) << err.str();
    EXPECT_EQ(out.str().rfind("code page 950: ", 0), 0u) << out.str();
    EXPECT_EQ(readWritten("found/report.txt").find("Missing files"), std::string::npos);
    EXPECT_EQ(preview({"Game", "--all-maps", "--code-page", "1252", "-o", "forced"}), 0) << err.str();
    EXPECT_NE(readWritten("forced/report.txt").find("Missing files"), std::string::npos);
}

} // namespace
