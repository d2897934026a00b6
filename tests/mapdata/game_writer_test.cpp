// The game-file writer: its integers, the files it refuses to write, and maps that the plug-in's
// own reader (first byte 0x47, then the layers) reads as the stand-in host does.
#include <algorithm>
#include <cstdio>

#include "mapdata/map_loading.h"
#include "simhost/game_folder.h"
#include "support/game_writer.h"
#include "support/host_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(GameWriterIntegers, SevenBitGroupsBigEndian) {
    EXPECT_EQ(gamefile::encodeInteger(0), (Bytes{0x00}));
    EXPECT_EQ(gamefile::encodeInteger(127), (Bytes{0x7F}));
    EXPECT_EQ(gamefile::encodeInteger(128), (Bytes{0x81, 0x00}));
    EXPECT_EQ(gamefile::encodeInteger(16383), (Bytes{0xFF, 0x7F}));
    EXPECT_EQ(gamefile::encodeInteger(16384), (Bytes{0x81, 0x80, 0x00}));
    EXPECT_EQ(gamefile::encodeInteger(INT32_MAX), (Bytes{0x87, 0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(GameWriterIntegers, NegativeValuesAsThirtyTwoBitTwosComplement) {
    EXPECT_EQ(gamefile::encodeInteger(-1), (Bytes{0x8F, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(gamefile::encodeInteger(INT32_MIN), (Bytes{0x88, 0x80, 0x80, 0x80, 0x00}));
}

// ---- What the plug-in needs of a map file ------------------------------------------------------------

size_t firstMarker(const Bytes &bytes) {
    return static_cast<size_t>(std::find(bytes.begin(), bytes.end(), 0x47) - bytes.begin());
}

simhost::GameMap mapOf(int32_t tilesetId, int32_t width, int32_t height) {
    simhost::GameMap map;
    map.tilesetId = tilesetId;
    map.width = width;
    map.height = height;
    const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < cells; ++i) {
        map.lower.push_back(static_cast<uint16_t>(0x4700 + i % 300)); // bytes 0x47 in every id
        map.upper.push_back(static_cast<uint16_t>(10000 + i % 144));
    }
    return map;
}

// The first byte 0x47 in the file is the lower layer's id, wherever the size sections stand.
TEST(GameWriterMarker, NoByte0x47BeforeTheLowerLayer) {
    for (int32_t tileset : {1, 2, 70, 72, 127, 128, 4000}) {
        for (int32_t width : {0, 1, 20, 60, 128, 200}) {
            const simhost::GameMap map = mapOf(tileset, width, 15);
            const Bytes bytes = gamefile::encodeMap(map);
            const size_t marker = firstMarker(bytes);
            ASSERT_LT(marker + 3, bytes.size());
            const size_t lengthBytes = width * 15 <= 8191 ? 2 : 3;
            simhost::GameMap read;
            std::string error;
            ASSERT_TRUE(simhost::readMapFile(bytes, "Map0001.lmu", read, &error)) << error;
            // The plug-in takes the first id right after the skipped length bytes.
            if (width > 0) {
                EXPECT_EQ(bytes[marker + 1 + lengthBytes], 0x00);
                EXPECT_EQ(bytes[marker + 2 + lengthBytes], 0x47);
            }
        }
    }
}

TEST(GameWriterMarker, ValuesThatWouldHoldTheMarkerAreRefused) {
    for (int32_t value : {71, 199, 327, 16455, -57}) {
        EXPECT_TRUE(gamefile::encodeMap(mapOf(value, 20, 15)).empty()) << value;
        EXPECT_NE(gamefile::mapEncodingProblem(mapOf(value, 20, 15)).find("tileset number"), std::string::npos);
        if (value > 0) {
            EXPECT_NE(gamefile::mapEncodingProblem(mapOf(1, value, 1)).find("the width"), std::string::npos);
            EXPECT_NE(gamefile::mapEncodingProblem(mapOf(1, 1, value)).find("the height"), std::string::npos);
        }
    }
    EXPECT_EQ(gamefile::mapEncodingProblem(mapOf(1, 70, 72)), "");
}

TEST(GameWriterMarker, SizesThePluginCannotReadAreRefused) {
    simhost::GameMap map;
    map.width = -1;
    EXPECT_NE(gamefile::mapEncodingProblem(map).find("negative"), std::string::npos);
    map.width = 1024;
    map.height = 1024;
    EXPECT_NE(gamefile::mapEncodingProblem(map).find("more than 1048575 cells"), std::string::npos);
    map.height = 1023;
    EXPECT_EQ(gamefile::mapEncodingProblem(map), "");
}

TEST(GameWriterLayers, ShortLayersFilledLongOnesCut) {
    simhost::GameMap map = mapOf(1, 4, 2);
    map.lower.resize(3);
    map.upper.resize(20, 10005);
    simhost::GameMap read;
    std::string error;
    ASSERT_TRUE(simhost::readMapFile(gamefile::encodeMap(map), "Map0001.lmu", read, &error)) << error;
    EXPECT_EQ(read.lower, (std::vector<uint16_t>{0x4700, 0x4701, 0x4702, 0, 0, 0, 0, 0}));
    EXPECT_EQ(read.upper.size(), 8u);
}

TEST(GameWriterDatabase, TablesAreWrittenAtTheirFullSizeOrNotAtAll) {
    simhost::GameDatabase db;
    db.tilesets.push_back({4, "Caves", "cave", {7, 8}, {}, std::vector<uint8_t>(200, 9)});
    simhost::GameDatabase read;
    std::string error;
    ASSERT_TRUE(simhost::readDatabase(gamefile::encodeDatabase(db), "Game.ldb", read, &error)) << error;
    const simhost::GameTileset &caves = read.tilesets.at(0);
    ASSERT_EQ(caves.attributes.size(), 162u);
    EXPECT_EQ(caves.attributes[1], 8);
    EXPECT_EQ(caves.attributes[2], 0);
    EXPECT_TRUE(caves.lowerFlags.empty());
    EXPECT_EQ(caves.upperFlags, std::vector<uint8_t>(144, 9));
}

TEST(GameWriterFiles, RefusalsNameTheFile) {
    farview_test::ScratchDirectory scratch;
    std::string error;
    EXPECT_FALSE(gamefile::writeMap("Map0001.lmu", mapOf(71, 20, 15), &error));
    EXPECT_EQ(error, "cannot write the map file Map0001.lmu: the tileset number 71 would put a byte 0x47 before "
                     "the lower layer");
    EXPECT_FALSE(gamefile::writeDatabase("missing/Game.ldb", {}, &error));
    EXPECT_EQ(error, "cannot write the database missing/Game.ldb");
}

// ---- The plug-in's reader on written files -------------------------------------------------------------

class GameWriterWithPluginReader : public farview_test::HostTest {
protected:
    farview_test::ScratchDirectory scratch;
};

TEST_F(GameWriterWithPluginReader, BothLayersReadAsWritten) {
    // Around the 8191-cell limit of the two-byte layer length, and sizes whose groups lie near 0x47.
    const int32_t sizes[][3] = {{1, 20, 15}, {72, 91, 90}, {3, 8191, 1}, {4, 128, 64}, {70, 200, 70}, {9, 1, 1}};
    for (const auto &size : sizes) {
        const simhost::GameMap map = mapOf(size[0], size[1], size[2]);
        std::string error;
        ASSERT_TRUE(gamefile::writeMap("Map0005.lmu", map, &error)) << error;
        simhost::setMapSize(map.width, map.height);
        simhost::setTilesetRecord(simhost::makeTilesetRecord("Fields", "tiles"));
        simhost::hero().mapId = 5;
        farview::MapRecord record;
        farview::loadMap(record);
        EXPECT_EQ(record.lowerTileGrid.cells, map.lower) << size[1] << " x " << size[2];
        EXPECT_EQ(record.upperTileGrid.cells, map.upper) << size[1] << " x " << size[2];
    }
}

} // namespace
