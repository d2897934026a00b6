// Reading the host's map files: the file name, the scan for the first 0x47, the skipped length
// bytes, the per-cell tables, and files that are missing, short or odd.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "mapdata/map_loading.h"
#include "support/host_fixture.h"
#include "support/mapfile_writer.h"

namespace {

using farview::MapRecord;

// ---- Pure helpers ----------------------------------------------------------------------------------

TEST(TileTableIndex, FixedRowsForTheFirstThousands) {
    EXPECT_EQ(farview::tileTableIndex(0), 0);
    EXPECT_EQ(farview::tileTableIndex(999), 0);
    EXPECT_EQ(farview::tileTableIndex(1000), 1);
    EXPECT_EQ(farview::tileTableIndex(1999), 1);
    EXPECT_EQ(farview::tileTableIndex(2000), 2);
    EXPECT_EQ(farview::tileTableIndex(2999), 2);
}

TEST(TileTableIndex, StripAndBlockTilesStepEveryFiftyIds) {
    EXPECT_EQ(farview::tileTableIndex(3000), 3);
    EXPECT_EQ(farview::tileTableIndex(3049), 3);
    EXPECT_EQ(farview::tileTableIndex(3050), 4);
    EXPECT_EQ(farview::tileTableIndex(3100), 5);
    EXPECT_EQ(farview::tileTableIndex(4000), 6);
    EXPECT_EQ(farview::tileTableIndex(4049), 6);
    EXPECT_EQ(farview::tileTableIndex(4050), 7);
    EXPECT_EQ(farview::tileTableIndex(4599), 17);
}

TEST(TileTableIndex, PlainLowerTilesFollowFrom18) {
    EXPECT_EQ(farview::tileTableIndex(5000), 18);
    EXPECT_EQ(farview::tileTableIndex(5143), 161);
    EXPECT_EQ(farview::tileTableIndex(5144), 162); // beyond the tables
    EXPECT_EQ(farview::tileTableIndex(65535), 60553);
}

TEST(MapFileName, IdWithAtLeastFourDigits) {
    EXPECT_EQ(farview::mapFileName(7), "Map0007.lmu");
    EXPECT_EQ(farview::mapFileName(37), "Map0037.lmu");
    EXPECT_EQ(farview::mapFileName(12345), "Map12345.lmu");
    EXPECT_EQ(farview::mapFileName(0), "Map0000.lmu");
    EXPECT_EQ(farview::mapFileName(INT32_MAX), "Map2147483647.lmu");
    for (int32_t id : {1, 999, 10000}) EXPECT_EQ(farview::mapFileName(id), mapfile::mapFileName(id));
}

TEST(MapSize, UsableWhileTheTexturePixelCountFitsThirtyTwoBits) {
    EXPECT_TRUE(farview::mapSizeUsable(0, 0));
    EXPECT_TRUE(farview::mapSizeUsable(500, 500));
    EXPECT_TRUE(farview::mapSizeUsable(2896, 2896));  // 2 147 024 896 pixels
    EXPECT_FALSE(farview::mapSizeUsable(2897, 2896)); // 2 147 766 272
    EXPECT_TRUE(farview::mapSizeUsable(134217727, 0));
    EXPECT_FALSE(farview::mapSizeUsable(134217728, 0)); // width * 16 overflows
    EXPECT_FALSE(farview::mapSizeUsable(0, INT32_MAX));
    EXPECT_FALSE(farview::mapSizeUsable(-1, 10));
    EXPECT_FALSE(farview::mapSizeUsable(10, INT32_MIN));
    EXPECT_FALSE(farview::mapSizeUsable(65536, 65536)); // cell count overflows
}

// ---- Loading through the stand-in host -------------------------------------------------------------

std::vector<uint8_t> littleEndian(const std::vector<uint16_t> &ids) {
    std::vector<uint8_t> bytes;
    for (uint16_t id : ids) {
        bytes.push_back(static_cast<uint8_t>(id & 0xFF));
        bytes.push_back(static_cast<uint8_t>(id >> 8));
    }
    return bytes;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto &part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::vector<uint16_t> sequence(size_t count, uint16_t first, uint16_t step = 1) {
    std::vector<uint16_t> ids(count);
    for (size_t i = 0; i < count; ++i) ids[i] = static_cast<uint16_t>(first + step * i);
    return ids;
}

class MapFileTest : public farview_test::HostTest {
protected:
    farview_test::ScratchDirectory scratch;
    MapRecord record;

    void SetUp() override {
        HostTest::SetUp();
        simhost::TilesetTables tables;
        for (int i = 0; i < 162; ++i) {
            tables.attributes.push_back(static_cast<uint16_t>(0x1000 + 0x101 * i));
            tables.lowerFlags.push_back(static_cast<uint8_t>(i + 1));
        }
        for (int i = 0; i < 144; ++i) tables.upperFlags.push_back(static_cast<uint8_t>(255 - i));
        simhost::setTilesetRecord(simhost::makeTilesetRecord("Field", "field", tables));
        simhost::hero().mapId = 1;
    }

    void writeFile(const std::vector<uint8_t> &bytes, const std::string &name = "Map0001.lmu") {
        std::ofstream out(name, std::ios::binary);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }
    void load(int32_t width, int32_t height) {
        simhost::setMapSize(width, height);
        farview::loadMap(record);
    }
    static std::vector<uint8_t> filler(size_t count, uint8_t value) { return std::vector<uint8_t>(count, value); }
};

TEST_F(MapFileTest, WriterFilesRoundTripWithTheirTables) {
    mapfile::MapLayers layers{20, 15, sequence(300, 5000), sequence(300, 10000)};
    layers.lower[0] = 0x1247; // ids may hold the marker byte: only the first 0x47 of the file counts
    layers.lower[1] = 4050;
    layers.upper[299] = 10143;
    ASSERT_TRUE(mapfile::writeMapFile("Map0001.lmu", layers, nullptr));
    load(20, 15);

    EXPECT_EQ(record.width, 20);
    EXPECT_EQ(record.height, 15);
    EXPECT_EQ(record.pixelWidth, 320);
    EXPECT_EQ(record.pixelHeight, 240);
    EXPECT_EQ(record.tilesetFileName, "field.png");
    EXPECT_EQ(record.lowerTileGrid.cells, layers.lower);
    EXPECT_EQ(record.upperTileGrid.cells, layers.upper);
    EXPECT_EQ(record.lowerTileGrid.rowLength, 20);
    EXPECT_EQ(record.attributeGrid.at(1, 0), 0x1000 + 0x101 * 7); // 4050: index 7
    EXPECT_EQ(record.lowerFlagGrid.at(1, 0), 8);
    EXPECT_EQ(record.attributeGrid.at(2, 0), 0x1000 + 0x101 * 20); // 5002: index 20
    EXPECT_EQ(record.lowerFlagGrid.at(2, 0), 21);
    EXPECT_EQ(record.upperFlagGrid.at(0, 0), 255);         // 10000: offset 502
    EXPECT_EQ(record.upperFlagGrid.at(19, 14), 255 - 143); // 10143: offset 645
    EXPECT_EQ(record.upperFlagGrid.at(5, 0), 250);
}

TEST_F(MapFileTest, LargeWriterFilesRoundTrip) {
    mapfile::MapLayers layers{100, 100, sequence(10000, 0, 7), sequence(10000, 9990)};
    ASSERT_TRUE(mapfile::writeMapFile("Map0001.lmu", layers, nullptr));
    load(100, 100);
    EXPECT_EQ(record.lowerTileGrid.cells, layers.lower);
    EXPECT_EQ(record.upperTileGrid.cells, layers.upper);
}

TEST_F(MapFileTest, TwentyByFifteenSkipsTwoThenThreeBytes) {
    const std::vector<uint16_t> lower = sequence(300, 3000, 3), upper = sequence(300, 10000, 1);
    writeFile(concat({{0x05, 0x11},
                      {0x47},
                      filler(2, 0xAA),
                      littleEndian(lower),
                      filler(3, 0xBB),
                      littleEndian(upper),
                      filler(9, 0xCC)}));
    load(20, 15);
    EXPECT_EQ(record.lowerTileGrid.cells, lower);
    EXPECT_EQ(record.upperTileGrid.cells, upper);
}

TEST_F(MapFileTest, HundredByHundredSkipsThreeThenFourBytes) {
    const std::vector<uint16_t> lower = sequence(10000, 1, 1), upper = sequence(10000, 10000, 2);
    writeFile(concat({{0x47}, filler(3, 0xAA), littleEndian(lower), filler(4, 0xBB), littleEndian(upper)}));
    load(100, 100);
    EXPECT_EQ(record.lowerTileGrid.cells, lower);
    EXPECT_EQ(record.upperTileGrid.cells, upper);
}

TEST_F(MapFileTest, EightThousandOneHundredNinetyOneCellsIsTheLastShortForm) {
    const std::vector<uint16_t> lower = sequence(8191, 100), upper = sequence(8191, 200);
    writeFile(concat({{0x47}, filler(2, 0xAA), littleEndian(lower), filler(3, 0xBB), littleEndian(upper)}));
    load(8191, 1);
    EXPECT_EQ(record.lowerTileGrid.cells, lower);
    EXPECT_EQ(record.upperTileGrid.cells, upper);
}

TEST_F(MapFileTest, EightThousandOneHundredNinetyTwoCellsTakesTheLongForm) {
    const std::vector<uint16_t> lower = sequence(8192, 100), upper = sequence(8192, 200);
    writeFile(concat({{0x47}, filler(3, 0xAA), littleEndian(lower), filler(4, 0xBB), littleEndian(upper)}));
    load(1, 8192);
    EXPECT_EQ(record.lowerTileGrid.cells, lower);
    EXPECT_EQ(record.upperTileGrid.cells, upper);
}

TEST_F(MapFileTest, FirstMarkerByteWinsWhereverItStands) {
    // 0x47 inside what would be a header: the layers are read from there on.
    writeFile(concat({{0x01, 0x47},
                      filler(2, 0xAA),
                      littleEndian({0x1234, 2}),
                      filler(3, 0xBB),
                      littleEndian({10001, 10002}),
                      {0x47, 0x00}}));
    load(2, 1);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{4660, 2}));
    EXPECT_EQ(record.upperTileGrid.cells, (std::vector<uint16_t>{10001, 10002}));
}

TEST_F(MapFileTest, MapFileIsNamedByTheHerosMapId) {
    writeFile(concat({{0x47}, filler(2, 0), littleEndian({5}), filler(3, 0), littleEndian({10005})}), "Map0037.lmu");
    simhost::hero().mapId = 37;
    load(1, 1);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{5}));
}

TEST_F(MapFileTest, EmptyMapLeavesEveryGridEmpty) {
    writeFile(concat({{0x47}, filler(2, 0), filler(3, 0)}));
    load(0, 5);
    EXPECT_EQ(record.width, 0);
    EXPECT_EQ(record.pixelHeight, 80);
    for (const farview::TileGrid *grid : {&record.attributeGrid, &record.lowerFlagGrid, &record.upperFlagGrid,
                                          &record.lowerTileGrid, &record.upperTileGrid})
        EXPECT_TRUE(grid->cells.empty());
}

TEST_F(MapFileTest, EachLoadReplacesTheGrids) {
    writeFile(concat(
        {{0x47}, filler(2, 0), littleEndian(sequence(12, 5000)), filler(3, 0), littleEndian(sequence(12, 10000))}));
    load(4, 3);
    writeFile(concat({{0x47}, filler(2, 0), littleEndian({7, 8}), filler(3, 0), littleEndian({10007, 10008})}));
    load(1, 2);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{7, 8}));
    EXPECT_EQ(record.attributeGrid.cells.size(), 2u);
    EXPECT_EQ(record.upperFlagGrid.rowLength, 1);
}

TEST_F(MapFileTest, RefusedTilesetNamesDoNotStopTheLoad) {
    std::vector<uint8_t> block(1200, 0);
    block[660] = 101;
    simhost::setTilesetRecord(block);
    writeFile(concat({{0x47}, filler(2, 0), littleEndian({9}), filler(3, 0), littleEndian({10009})}));
    load(1, 1);
    EXPECT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(record.tilesetFileName, "0");
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{9}));
}

// ---- Lookups that would leave the tables -------------------------------------------------------------

TEST_F(MapFileTest, IdsWithoutATableEntryStoreZero) {
    writeFile(concat({{0x47},
                      filler(2, 0),
                      littleEndian({5143, 5144, 65535, 0}),
                      filler(3, 0),
                      littleEndian({9999, 10144, 0, 65535})}));
    load(4, 1);
    EXPECT_EQ(record.attributeGrid.cells, (std::vector<uint16_t>{0x1000 + 0x101 * 161, 0, 0, 0x1000}));
    EXPECT_EQ(record.lowerFlagGrid.cells, (std::vector<uint16_t>{162, 0, 0, 1}));
    EXPECT_EQ(record.upperFlagGrid.cells, (std::vector<uint16_t>{0, 0, 0, 0}));
    EXPECT_EQ(record.upperTileGrid.cells, (std::vector<uint16_t>{9999, 10144, 0, 65535}));
}

TEST_F(MapFileTest, ShortTilesetRecordReadsZeroBeyondItsEnd) {
    simhost::setTilesetRecord(std::vector<uint8_t>(339, 0x11)); // ends within the last attribute
    writeFile(concat(
        {{0x47}, filler(2, 0), littleEndian({0, 1000, 5143}), filler(3, 0), littleEndian({10000, 10000, 10143})}));
    load(3, 1);
    EXPECT_EQ(record.attributeGrid.cells, (std::vector<uint16_t>{0x1111, 0x1111, 0x0011}));
    EXPECT_EQ(record.lowerFlagGrid.cells, (std::vector<uint16_t>{0, 0, 0}));
    EXPECT_EQ(record.upperFlagGrid.cells, (std::vector<uint16_t>{0, 0, 0}));
}

// ---- Files that are missing or end early: the load stops, unread cells hold 0 -------------------------

void expectAllZero(const MapRecord &record, size_t cells) {
    for (const farview::TileGrid *grid : {&record.attributeGrid, &record.lowerFlagGrid, &record.upperFlagGrid,
                                          &record.lowerTileGrid, &record.upperTileGrid})
        EXPECT_EQ(grid->cells, std::vector<uint16_t>(cells, 0));
}

TEST_F(MapFileTest, MissingFileLeavesZeroCells) {
    load(3, 2);
    expectAllZero(record, 6);
    EXPECT_EQ(record.tilesetFileName, "field.png");
}

TEST_F(MapFileTest, FileWithoutAMarkerLeavesZeroCells) {
    writeFile(filler(5000, 0x46));
    load(3, 2);
    expectAllZero(record, 6);
}

TEST_F(MapFileTest, EmptyFileAndFileEndingInTheLengthLeaveZeroCells) {
    writeFile({});
    load(2, 2);
    expectAllZero(record, 4);
    writeFile({0x47, 0xAA});
    load(2, 2);
    expectAllZero(record, 4);
}

TEST_F(MapFileTest, FileEndingInTheLowerLayerKeepsTheIdsRead) {
    writeFile(concat({{0x47}, filler(2, 0), littleEndian({5001, 5002}), {0x03}})); // half an id at the end
    load(2, 2);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{5001, 5002, 0, 0}));
    EXPECT_EQ(record.lowerFlagGrid.cells, (std::vector<uint16_t>{20, 21, 0, 0}));
    EXPECT_EQ(record.upperTileGrid.cells, std::vector<uint16_t>(4, 0));
}

TEST_F(MapFileTest, FileEndingBetweenOrInTheUpperLayerKeepsWhatWasRead) {
    writeFile(concat({{0x47}, filler(2, 0), littleEndian({1, 2}), filler(2, 0)}));
    load(2, 1);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{1, 2}));
    EXPECT_EQ(record.upperTileGrid.cells, (std::vector<uint16_t>{0, 0}));

    writeFile(concat({{0x47}, filler(2, 0), littleEndian({1, 2}), filler(3, 0), littleEndian({10003})}));
    load(2, 1);
    EXPECT_EQ(record.upperTileGrid.cells, (std::vector<uint16_t>{10003, 0}));
    EXPECT_EQ(record.upperFlagGrid.cells, (std::vector<uint16_t>{252, 0}));
}

TEST_F(MapFileTest, DirectoryInPlaceOfTheFileReadsNothing) {
    std::filesystem::create_directory("Map0001.lmu");
    load(2, 1);
    expectAllZero(record, 2);
}

// ---- Host map sizes the record cannot hold ----------------------------------------------------------

TEST_F(MapFileTest, NegativeOrOverflowingSizesLoadAsAnEmptyMap) {
    writeFile(concat({{0x47}, filler(3, 0), littleEndian(sequence(64, 1))}));
    for (auto size : {std::pair<int32_t, int32_t>{-1, 5},
                      {5, -1},
                      {INT32_MIN, INT32_MIN},
                      {134217728, 1},
                      {65536, 65536},
                      {3000, 3000},
                      {INT32_MAX, INT32_MAX}}) {
        load(4, 4); // a previous map first: its grids must go
        load(size.first, size.second);
        EXPECT_EQ(record.width, 0);
        EXPECT_EQ(record.height, 0);
        EXPECT_EQ(record.pixelWidth, 0);
        EXPECT_EQ(record.pixelHeight, 0);
        EXPECT_TRUE(record.lowerTileGrid.cells.empty());
        EXPECT_TRUE(record.attributeGrid.cells.empty());
    }
}

} // namespace
