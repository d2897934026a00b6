// The demo game as written: every shore and every rim of ground meets its neighbours, the files
// are what the host and the plug-in read, and the demo script runs through the real module.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/game_folder.h"
#include "simhost/game_lines.h"
#include "simhost/png_io.h"
#include "support/host_fixture.h"
#include "texture/map_texture.h"
#include "texture/texture_internal.h"
#include "tools/common/game_entry.h"
#include "tools/demo/demo_game.h"
#include "tools/demo/demo_map.h"
#include "tools/demo/demo_tiles.h"
#include "tools/preview/preview_script.h"

namespace {

namespace fs = std::filesystem;
namespace tiles = preview::demo::tiles;

std::vector<uint8_t> fileBytes(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The game, written once for all the tests here (they only read it) and its map read back by the
// stand-in host's reader.
struct DemoFiles {
    fs::path folder = fs::temp_directory_path() / ("farview-demo-game-test-" + std::to_string(getpid()));
    bool ok = false;
    std::string error;
    simhost::GameMap map;

    DemoFiles() {
        fs::remove_all(folder);
        ok = preview::writeDemoGame(folder, &error) &&
             simhost::readMapFile(fileBytes(folder / "Map0001.lmu"), "Map0001.lmu", map, &error);
    }
    ~DemoFiles() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < map.width && y < map.height; }
    uint16_t lower(int32_t x, int32_t y) const { return map.lower[size_t(y) * map.width + x]; }
    uint16_t upper(int32_t x, int32_t y) const { return map.upper[size_t(y) * map.width + x]; }
};

const DemoFiles &demo() {
    static const DemoFiles files;
    return files;
}

#define ASSERT_DEMO_WRITTEN() ASSERT_TRUE(demo().ok) << demo().error

// ---- The ground each id stands for ----------------------------------------------------------------

bool isWater(uint16_t id) { return id < 2000; } // both column autotiles
bool isSea(uint16_t id) { return id < 1000; }
bool inRun(uint16_t id, uint16_t first) { return id >= first && id < first + 50; }
bool isBlockAutotile(uint16_t id) { return id >= 4000 && id < 5000; }
bool isCrop(uint16_t id) { return id >= tiles::kWheat && id < tiles::kCarrots + 50; }
bool isRoad(uint16_t id) { return id >= tiles::kRoad && id < tiles::kRoad + 16; }
bool isGrass(uint16_t id) { return id >= tiles::kGrass && id < tiles::kGrass + tiles::kGrassVariantCount; }

// Into which neighbours a block autotile's ground runs on without a rim: the beach under the
// water and into roads, the plaza into roads and its fountain, a field under its crops.
bool carriesOn(uint16_t self, uint16_t other) {
    if (inRun(self, tiles::kBeach)) return inRun(other, tiles::kBeach) || isWater(other) || isRoad(other);
    if (inRun(self, tiles::kPlaza)) return inRun(other, tiles::kPlaza) || isWater(other) || isRoad(other);
    if (inRun(self, tiles::kField)) return inRun(other, tiles::kField) || isCrop(other);
    return inRun(other, uint16_t(self - self % 50));
}

// ---- What an autotile id shows, read from its neighbour pattern ----------------------------------

enum Side { Left, Top, Right, Bottom };
enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };

struct Shown {
    bool edge[4] = {};   // by Side
    bool corner[4] = {}; // inner corners, by Corner
    bool operator==(const Shown &o) const {
        return std::equal(edge, edge + 4, o.edge) && std::equal(corner, corner + 4, o.corner);
    }
};

std::string describe(const Shown &s) {
    std::string text = "edges";
    for (int i = 0; i < 4; ++i) text += s.edge[i] ? " LTRB"[i + 1] : '-';
    text += " inner corners";
    for (int i = 0; i < 4; ++i) text += s.corner[i] ? std::string(" TL TR BR BL").substr(3 * i, 3) : " --";
    return text;
}

// The edges and inner corners the map texture builder draws for a neighbour pattern.
Shown decodePattern(int32_t p) {
    Shown s;
    if ((p & 48) == 0) {
        for (int bit = 0; bit < 4; ++bit) s.corner[bit] = (p >> bit) & 1;
        return s;
    }
    if (p & 16) {
        const int e = (p / 4) % 4;
        const Corner awayFromEdge[4][2] = {
            {TopRight, BottomRight}, {BottomRight, BottomLeft}, {BottomLeft, TopLeft}, {TopLeft, TopRight}};
        s.edge[e] = true;
        s.corner[awayFromEdge[e][0]] = p & 1;
        s.corner[awayFromEdge[e][1]] = p & 2;
        return s;
    }
    struct Row {
        int p;
        std::vector<Side> edges;
        int innerCorner;
    };
    const Row table[] = {
        {32, {Left, Right}, -1},         {33, {Top, Bottom}, -1},        {34, {Top, Left}, -1},
        {35, {Top, Left}, BottomRight},  {36, {Top, Right}, -1},         {37, {Top, Right}, BottomLeft},
        {38, {Bottom, Right}, -1},       {39, {Bottom, Right}, TopLeft}, {40, {Bottom, Left}, -1},
        {41, {Bottom, Left}, TopRight},  {42, {Top, Left, Right}, -1},   {43, {Left, Top, Bottom}, -1},
        {44, {Bottom, Left, Right}, -1}, {45, {Right, Top, Bottom}, -1}, {46, {Left, Top, Right, Bottom}, -1},
    };
    for (const Row &row : table) {
        if (row.p != p) continue;
        for (Side e : row.edges) s.edge[e] = true;
        if (row.innerCorner >= 0) s.corner[row.innerCorner] = true;
    }
    return s;
}

// What the neighbours ask for: an edge toward each side whose neighbour does not carry the ground
// on, an inner corner where both sides carry it on and the diagonal does not. Beyond the map's
// edge the ground carries on.
template <class CarriesOn> Shown askedByNeighbours(int32_t x, int32_t y, CarriesOn carries) {
    auto on = [&](int dx, int dy) { return !demo().inside(x + dx, y + dy) || carries(demo().lower(x + dx, y + dy)); };
    Shown s;
    s.edge[Left] = !on(-1, 0);
    s.edge[Top] = !on(0, -1);
    s.edge[Right] = !on(1, 0);
    s.edge[Bottom] = !on(0, 1);
    s.corner[TopLeft] = on(-1, 0) && on(0, -1) && !on(-1, -1);
    s.corner[TopRight] = on(1, 0) && on(0, -1) && !on(1, -1);
    s.corner[BottomRight] = on(1, 0) && on(0, 1) && !on(1, 1);
    s.corner[BottomLeft] = on(-1, 0) && on(0, 1) && !on(-1, 1);
    return s;
}

template <class Visit> void forEachNeighbour(int32_t x, int32_t y, Visit visit) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx != 0 || dy != 0) && demo().inside(x + dx, y + dy)) visit(demo().lower(x + dx, y + dy), dx, dy);
}

std::string at(int32_t x, int32_t y) {
    return "cell (" + std::to_string(x) + ", " + std::to_string(y) + ") id " + std::to_string(demo().lower(x, y));
}

TEST(DemoShores, EveryWaterCellShowsTheShoreItsNeighboursAskFor) {
    ASSERT_DEMO_WRITTEN();
    int32_t shoreCells = 0;
    for (int32_t y = 0; y < demo().map.height; ++y) {
        for (int32_t x = 0; x < demo().map.width; ++x) {
            const uint16_t id = demo().lower(x, y);
            if (!isWater(id)) continue;
            const Shown asked = askedByNeighbours(x, y, isWater);
            const Shown drawn = decodePattern(id % 1000);
            EXPECT_EQ(drawn, asked) << at(x, y) << " draws " << describe(drawn) << ", its neighbours ask for "
                                    << describe(asked);
            if (!(asked == Shown{})) ++shoreCells;
        }
    }
    EXPECT_GT(shoreCells, 100); // the sea, the lake, the canal and the fountain all have shores
}

TEST(DemoShores, TheSeaMeetsOnlyTheBeachItsShoreIsDrawnAgainst) {
    ASSERT_DEMO_WRITTEN();
    // The sea's rounded shore shows sand beyond its foam, so sand must lie on every land side.
    for (int32_t y = 0; y < demo().map.height; ++y) {
        for (int32_t x = 0; x < demo().map.width; ++x) {
            if (!isSea(demo().lower(x, y))) continue;
            forEachNeighbour(x, y, [&](uint16_t other, int dx, int dy) {
                EXPECT_TRUE(isWater(other) || inRun(other, tiles::kBeach))
                    << at(x, y) << " has " << at(x + dx, y + dy) << " beside it";
            });
        }
    }
}

TEST(DemoShores, EveryRimOfBeachMeadowFieldAndPlazaMatchesItsNeighbours) {
    ASSERT_DEMO_WRITTEN();
    std::set<uint16_t> kinds;
    for (int32_t y = 0; y < demo().map.height; ++y) {
        for (int32_t x = 0; x < demo().map.width; ++x) {
            const uint16_t id = demo().lower(x, y);
            if (!isBlockAutotile(id)) continue;
            kinds.insert(uint16_t(id - id % 50));
            const Shown asked = askedByNeighbours(x, y, [&](uint16_t other) { return carriesOn(id, other); });
            const Shown drawn = decodePattern(id % 50);
            EXPECT_EQ(drawn, asked) << at(x, y) << " draws " << describe(drawn) << ", its neighbours ask for "
                                    << describe(asked);
            // A rim shows grass beyond it: whatever the ground does not run into must be grass.
            forEachNeighbour(x, y, [&](uint16_t other, int dx, int dy) {
                EXPECT_TRUE(carriesOn(id, other) || isGrass(other))
                    << at(x, y) << " has " << at(x + dx, y + dy) << " beside it";
            });
        }
    }
    EXPECT_EQ(kinds, (std::set<uint16_t>{tiles::kBeach, tiles::kMeadow, tiles::kField, tiles::kPlaza}));
}

// Every one of the 256 neighbourhoods: the generator's pattern draws exactly what it asks for.
TEST(DemoShores, ThePatternOfEveryNeighbourhoodDrawsWhatItAsksFor) {
    for (int bits = 0; bits < 256; ++bits) {
        auto on = [&](int bit) { return ((bits >> bit) & 1) != 0; };
        const preview::demo::Neighbours n{on(0), on(1), on(2), on(3), on(4), on(5), on(6), on(7)};
        Shown asked;
        asked.edge[Left] = !n.west;
        asked.edge[Top] = !n.north;
        asked.edge[Right] = !n.east;
        asked.edge[Bottom] = !n.south;
        asked.corner[TopLeft] = n.west && n.north && !n.northWest;
        asked.corner[TopRight] = n.east && n.north && !n.northEast;
        asked.corner[BottomRight] = n.east && n.south && !n.southEast;
        asked.corner[BottomLeft] = n.west && n.south && !n.southWest;
        const int32_t pattern = preview::demo::autotilePattern(n);
        ASSERT_GE(pattern, 0);
        ASSERT_LE(pattern, 46);
        EXPECT_EQ(decodePattern(pattern), asked) << "neighbourhood " << bits << ": pattern " << pattern;
    }
}

TEST(DemoShores, RoadsFringeWithGrassExactlyWhereTheyEnd) {
    ASSERT_DEMO_WRITTEN();
    auto goesOn = [](int32_t x, int32_t y) {
        if (!demo().inside(x, y)) return true;
        const uint16_t other = demo().lower(x, y);
        const bool bridge =
            demo().upper(x, y) == tiles::kBridgeEastWest || demo().upper(x, y) == tiles::kBridgeNorthSouth;
        return isRoad(other) || inRun(other, tiles::kPlaza) || inRun(other, tiles::kBeach) ||
               (isWater(other) && bridge);
    };
    int32_t roads = 0;
    for (int32_t y = 0; y < demo().map.height; ++y) {
        for (int32_t x = 0; x < demo().map.width; ++x) {
            if (!isRoad(demo().lower(x, y))) continue;
            ++roads;
            const uint16_t sides = (goesOn(x, y - 1) ? tiles::kNorth : 0) | (goesOn(x + 1, y) ? tiles::kEast : 0) |
                                   (goesOn(x, y + 1) ? tiles::kSouth : 0) | (goesOn(x - 1, y) ? tiles::kWest : 0);
            EXPECT_EQ(demo().lower(x, y), tiles::kRoad + sides) << at(x, y);
        }
    }
    EXPECT_GT(roads, 100);
}

TEST(DemoShores, FencesJoinTheFencesBesideThem) {
    ASSERT_DEMO_WRITTEN();
    auto sidesAt = [](int32_t x, int32_t y) -> int {
        if (!demo().inside(x, y)) return -1;
        const uint16_t id = demo().upper(x, y);
        return id >= tiles::kFence && id < tiles::kFence + 16 ? id - tiles::kFence : -1;
    };
    int32_t fences = 0;
    for (int32_t y = 0; y < demo().map.height; ++y) {
        for (int32_t x = 0; x < demo().map.width; ++x) {
            const int sides = sidesAt(x, y);
            if (sides < 0) continue;
            ++fences;
            // A rail toward a side meets a rail coming back from the fence there, and only then.
            EXPECT_EQ((sides & tiles::kNorth) != 0, sidesAt(x, y - 1) >= 0 && (sidesAt(x, y - 1) & tiles::kSouth))
                << x << "," << y;
            EXPECT_EQ((sides & tiles::kEast) != 0, sidesAt(x + 1, y) >= 0 && (sidesAt(x + 1, y) & tiles::kWest))
                << x << "," << y;
            EXPECT_EQ((sides & tiles::kSouth) != 0, sidesAt(x, y + 1) >= 0 && (sidesAt(x, y + 1) & tiles::kNorth))
                << x << "," << y;
            EXPECT_EQ((sides & tiles::kWest) != 0, sidesAt(x - 1, y) >= 0 && (sidesAt(x - 1, y) & tiles::kEast))
                << x << "," << y;
        }
    }
    EXPECT_GT(fences, 20);
}

// On land, or on planks over the water.
TEST(DemoShores, TheHeroAndEveryFigureStandOnGround) {
    ASSERT_DEMO_WRITTEN();
    EXPECT_TRUE(isRoad(demo().lower(preview::kDemoHeroColumn, preview::kDemoHeroRow)));
    for (const simhost::GameEvent &event : demo().map.events) {
        ASSERT_TRUE(demo().inside(event.column, event.row)) << event.name;
        if (event.pages[0].sheetName.empty() && event.pages[0].sheetIndex == 0) continue; // shows nothing
        const uint16_t over = demo().upper(event.column, event.row);
        const bool planked = over == tiles::kPier || over == tiles::kBridgeEastWest || over == tiles::kBridgeNorthSouth;
        EXPECT_TRUE(!isWater(demo().lower(event.column, event.row)) || planked) << event.name;
    }
}

// ---- The files ---------------------------------------------------------------------------------------

// A PNG as the stand-in host's loader reads it (paletted only).
struct PalettedPng {
    bool ok = false;
    std::string problem;
    simhost::png::PalettedImage image{};
    explicit PalettedPng(const fs::path &file) { ok = simhost::png::readPaletted(file.string(), &image, &problem); }
    ~PalettedPng() { std::free(ok ? image.pixels : nullptr); }
    uint8_t at(uint32_t x, uint32_t y) const { return image.pixels[size_t(y) * image.width + x]; }
};

TEST(DemoFilesTest, EveryPictureIsAPalettedPngOfTheSizeItsUseNeeds) {
    ASSERT_DEMO_WRITTEN();
    struct Expected {
        const char *file;
        uint32_t width, height;
    } pictures[] = {
        {"ChipSet/Meadow.png", 480, 256},  {"CharSet/Hero.png", 288, 256},   {"CharSet/Villagers.png", 288, 256},
        {"CharSet/Animals.png", 288, 256}, {"Picture/Hero.png", 4 * 24, 32}, {"Picture/Statue.png", 8 * 32, 48},
        {"Picture/Oak.png", 48, 64},
    };
    for (const Expected &picture : pictures) {
        PalettedPng png(demo().folder / picture.file);
        ASSERT_TRUE(png.ok) << picture.file << ": " << png.problem;
        EXPECT_EQ(png.image.width, picture.width) << picture.file;
        EXPECT_EQ(png.image.height, picture.height) << picture.file;
    }
    // The panorama fills the band above the default horizon of 50 rows.
    PalettedPng panorama(demo().folder / "Panorama/Island.png");
    ASSERT_TRUE(panorama.ok) << panorama.problem;
    EXPECT_GE(panorama.image.height, 50u);
    EXPECT_GE(panorama.image.width, 320u);
}

TEST(DemoFilesTest, EveryFrameOfEverySheetHoldsAFigureStandingOnTheFrameFoot) {
    ASSERT_DEMO_WRITTEN();
    for (const char *sheet : {"CharSet/Hero.png", "CharSet/Villagers.png", "CharSet/Animals.png"}) {
        PalettedPng png(demo().folder / sheet);
        ASSERT_TRUE(png.ok) << sheet << ": " << png.problem;
        for (uint32_t frameY = 0; frameY + 32 <= png.image.height; frameY += 32) {
            for (uint32_t frameX = 0; frameX + 24 <= png.image.width; frameX += 24) {
                uint32_t lowestRow = 0, drawn = 0;
                for (uint32_t y = 0; y < 32; ++y)
                    for (uint32_t x = 0; x < 24; ++x)
                        if (png.at(frameX + x, frameY + y) != 0) ++drawn, lowestRow = y;
                EXPECT_GT(drawn, 60u) << sheet << " frame at " << frameX << ", " << frameY;
                EXPECT_EQ(lowestRow, 31u) << sheet << " frame at " << frameX << ", " << frameY << " floats";
            }
        }
    }
}

TEST(DemoFilesTest, TheMapReadBackIsTheOneGenerated) {
    ASSERT_DEMO_WRITTEN();
    const simhost::GameMap generated = preview::demo::makeDemoMap();
    const simhost::GameMap &read = demo().map;
    EXPECT_GE(read.width, 60);
    EXPECT_GE(read.height, 60);
    EXPECT_EQ(read.width, generated.width);
    EXPECT_EQ(read.height, generated.height);
    EXPECT_EQ(read.tilesetId, 1);
    EXPECT_EQ(read.lower, generated.lower);
    EXPECT_EQ(read.upper, generated.upper);
    ASSERT_EQ(read.events.size(), generated.events.size());
    std::set<int32_t> facings;
    int32_t withSheets = 0, asTiles = 0;
    for (size_t i = 0; i < read.events.size(); ++i) {
        const simhost::GameEvent &event = read.events[i];
        EXPECT_EQ(event.id, generated.events[i].id);
        EXPECT_EQ(event.name, generated.events[i].name);
        EXPECT_EQ(event.column, generated.events[i].column);
        EXPECT_EQ(event.row, generated.events[i].row);
        ASSERT_EQ(event.pages.size(), 1u);
        const simhost::GameEventPage &page = event.pages[0];
        EXPECT_EQ(page.sheetName, generated.events[i].pages[0].sheetName);
        EXPECT_EQ(page.sheetIndex, generated.events[i].pages[0].sheetIndex);
        EXPECT_EQ(page.facing, generated.events[i].pages[0].facing);
        if (!page.sheetName.empty()) ++withSheets, facings.insert(page.facing);
        if (page.sheetName.empty() && page.sheetIndex != 0) ++asTiles;
    }
    EXPECT_GE(withSheets, 10);
    EXPECT_GE(asTiles, 2);
    EXPECT_EQ(facings.size(), 4u);
}

TEST(DemoFilesTest, TheDatabaseGivesTheMapItsTileset) {
    ASSERT_DEMO_WRITTEN();
    simhost::GameFolder game;
    std::string error;
    ASSERT_TRUE(simhost::openGame(demo().folder, game, &error)) << error;
    const simhost::GameDatabase *database = simhost::gameDatabase(game, &error);
    ASSERT_NE(database, nullptr) << error;
    ASSERT_EQ(database->tilesets.size(), 1u);
    const simhost::GameTileset &tileset = database->tilesets[0];
    EXPECT_EQ(tileset.id, demo().map.tilesetId);
    EXPECT_EQ(tileset.name, "Meadow");
    EXPECT_EQ(tileset.graphicName, "Meadow");
    EXPECT_EQ(tileset.attributes.size(), size_t(simhost::kTilesetAttributeCount));
    EXPECT_EQ(tileset.lowerFlags.size(), size_t(simhost::kTilesetLowerFlagCount));
    EXPECT_EQ(tileset.upperFlags.size(), size_t(simhost::kTilesetUpperFlagCount));
}

// Every cell the map uses, drawn by the plug-in's own builder from the tileset: lower tiles cover
// their whole cell (no index 0 for the texture's blank to show through), upper tiles have a picture
// except the empty one.
TEST(DemoFilesTest, TheTilesetHasAPictureForEveryIdTheMapUses) {
    ASSERT_DEMO_WRITTEN();
    PalettedPng png(demo().folder / "ChipSet/Meadow.png");
    ASSERT_TRUE(png.ok) << png.problem;
    FvHostImage tileset{};
    tileset.pixels = png.image.pixels;
    tileset.width = int32_t(png.image.width);
    tileset.height = int32_t(png.image.height);
    std::vector<uint8_t> cellPixels(16 * 16);
    FvHostImage cell{};
    cell.pixels = cellPixels.data();
    cell.width = cell.height = 16;

    const std::set<uint16_t> lowerIds(demo().map.lower.begin(), demo().map.lower.end());
    for (uint16_t id : lowerIds) {
        std::fill(cellPixels.begin(), cellPixels.end(), 0);
        farview::CellPosition source;
        if (id < farview::kFirstPlainLowerTileId)
            farview::composeLowerCellInto(cell, 0, 0, tileset, id);
        else if (farview::plainLowerTileSource(id, source))
            farview::copyPiece(cell, 0, 0, tileset, source.x, source.y, 16, 16);
        EXPECT_EQ(std::count(cellPixels.begin(), cellPixels.end(), 0), 0) << "lower id " << id << " has holes";
    }
    const std::set<uint16_t> upperIds(demo().map.upper.begin(), demo().map.upper.end());
    EXPECT_TRUE(upperIds.count(tiles::kEmpty));
    for (uint16_t id : upperIds) {
        farview::CellPosition source;
        ASSERT_TRUE(farview::upperTileSource(id, source)) << "upper id " << id;
        std::fill(cellPixels.begin(), cellPixels.end(), 0);
        farview::copyPiece(cell, 0, 0, tileset, source.x, source.y, 16, 16);
        const auto drawn = 256 - std::count(cellPixels.begin(), cellPixels.end(), 0);
        if (id == tiles::kEmpty)
            EXPECT_EQ(drawn, 0);
        else
            EXPECT_GT(drawn, 0) << "upper id " << id << " is empty";
    }
}

TEST(DemoFilesTest, WritingTheGameAgainGivesTheSameBytes) {
    ASSERT_DEMO_WRITTEN();
    farview_test::ScratchDirectory again;
    std::string error;
    ASSERT_TRUE(preview::writeDemoGame(again.path(), &error)) << error;
    int32_t files = 0;
    for (const auto &entry : fs::recursive_directory_iterator(demo().folder)) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), demo().folder);
        EXPECT_EQ(fileBytes(entry.path()), fileBytes(again.path() / relative)) << relative;
        ++files;
    }
    EXPECT_EQ(files, 13);
}

TEST(DemoFilesTest, AFolderThatCannotBeMadeIsReportedByName) {
    farview_test::ScratchDirectory scratch;
    std::ofstream(scratch.path() / "taken") << "a file where the game's folder would go";
    std::string error;
    EXPECT_FALSE(preview::writeDemoGame(scratch.path() / "taken", &error));
    EXPECT_NE(error.find("taken"), std::string::npos) << error;
}

// ---- The script -----------------------------------------------------------------------------------------

std::vector<std::string> scriptLines(const std::string &start) {
    std::vector<std::string> lines;
    std::istringstream text(preview::kDemoScript);
    for (std::string line; std::getline(text, line);)
        if (line.compare(0, start.size(), start) == 0) lines.push_back(line);
    return lines;
}

// The parameters of an "@name p1, p2, ..." line, quotes removed.
std::vector<std::string> commentParameters(const std::string &line) {
    std::vector<std::string> parameters;
    std::istringstream rest(line.substr(line.find(' ') + 1));
    for (std::string parameter; std::getline(rest, parameter, ',');) {
        parameter.erase(0, parameter.find_first_not_of(' '));
        if (!parameter.empty() && parameter.front() == '"') parameter = parameter.substr(1, parameter.size() - 2);
        parameters.push_back(parameter);
    }
    return parameters;
}

TEST(DemoScriptTest, EntersTheDemoMapWithTheHeroWhereHeStarts) {
    EXPECT_EQ(scriptLines("enter "), std::vector<std::string>{"enter " + std::to_string(preview::kDemoMapId)});
    EXPECT_EQ(scriptLines("hero "), std::vector<std::string>{"hero " + std::to_string(preview::kDemoHeroColumn) + " " +
                                                             std::to_string(preview::kDemoHeroRow) + " " +
                                                             std::to_string(preview::kDemoHeroFacing)});
}

// The island's own lines, run on entry: an added sprite stands on an event of its own that shows
// the empty tile, so that nothing else is drawn in its place; and every picture the game's lines
// name (the pond's too) is in the game.
std::vector<std::string> entryLinesStartingWith(const simhost::GameFolder &game, int32_t mapId,
                                                const std::string &start) {
    std::vector<uint8_t> bytes = fileBytes(game.folder / simhost::mapFileName(mapId));
    simhost::GameMap map;
    std::vector<std::string> lines;
    if (!simhost::readMapFile(bytes, simhost::mapFileName(mapId), map, nullptr)) return lines;
    for (const simhost::ListRun &run : simhost::entryRuns(game, map, mapId))
        for (const simhost::GameLine &line : run.lines)
            if (line.text.compare(0, start.size(), start) == 0) lines.push_back(line.text);
    return lines;
}

TEST(DemoScriptTest, AddedSpritesStandOnEventsShowingNothingAndTheirPicturesExist) {
    ASSERT_DEMO_WRITTEN();
    simhost::GameFolder game;
    std::string error;
    ASSERT_TRUE(simhost::openGame(demo().folder, game, &error)) << error;
    const auto added = entryLinesStartingWith(game, preview::kDemoMapId, "@add_sprite ");
    ASSERT_GE(added.size(), 3u);
    for (const std::string &line : added) {
        const std::vector<std::string> p = commentParameters(line);
        ASSERT_EQ(p.size(), 7u) << line;
        EXPECT_TRUE(fs::is_regular_file(demo().folder / p[1])) << line;
        const int32_t eventId = std::atoi(p[6].c_str());
        const auto event = std::find_if(demo().map.events.begin(), demo().map.events.end(),
                                        [&](const simhost::GameEvent &e) { return e.id == eventId; });
        ASSERT_NE(event, demo().map.events.end()) << line;
        EXPECT_EQ(event->pages[0].sheetName, "") << line;
        EXPECT_EQ(event->pages[0].sheetIndex + 10000, tiles::kEmpty) << line;
    }
    for (int32_t mapId : {1, 2})
        for (const char *start : {"@set_background ", "@change_hero_sprite "})
            for (const std::string &line : entryLinesStartingWith(game, mapId, start))
                EXPECT_TRUE(fs::is_regular_file(demo().folder / commentParameters(line)[0])) << line;
    EXPECT_EQ(entryLinesStartingWith(game, 2, "@change_hero_sprite ").size(), 1u);
}

class DemoScriptRun : public farview_test::ModuleTest {};

TEST_F(DemoScriptRun, RunsToItsEndThroughTheModuleWithNoMessageAndFillsEveryFrame) {
    ASSERT_DEMO_WRITTEN();
    farview_test::ScratchDirectory output;
    simhost::GameFolder game;
    std::string error;
    ASSERT_TRUE(simhost::openGame(demo().folder, game, &error)) << error;
    preview::ScriptOptions options;
    options.outputFolder = output.path();
    options.enterMap = [&](int32_t mapId, std::string *failure) {
        tools::EntryReport entry;
        return tools::enterWithGameLines(game, mapId, module, entry, failure);
    };
    fs::current_path(game.folder); // the plug-in reads the game's files from the current directory
    const preview::ScriptResult result = preview::runScript(preview::kDemoScript, "demo", module, options);
    fs::current_path(output.path());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(simhost::messages().empty()) << simhost::messages().front();
    EXPECT_EQ(result.frames.size(), 25u); // a still and a full turn of 24 steps
    EXPECT_EQ(result.animations.size(), 1u);
    // The view covers the whole screen: panorama above the horizon, floor below, never the host's
    // backdrop or black. A full turn on, the view is the one it started from, now with the hero's
    // own sprite, which shows him as his sheet does.
    for (int32_t y = 0; y < simhost::kScreenHeight; ++y) {
        for (int32_t x = 0; x < simhost::kScreenWidth; ++x) {
            ASSERT_NE(simhost::screenPixel(x, y), preview::kBackdrop) << x << ", " << y;
            ASSERT_NE(simhost::screenPixel(x, y), 0) << x << ", " << y;
        }
    }
    EXPECT_EQ(fileBytes(result.frames.front()), fileBytes(result.frames.back()));
}

} // namespace
