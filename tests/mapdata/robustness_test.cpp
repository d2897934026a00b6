// Bad inputs the map reader meets beyond the ones its own tests cover: a host without a hero or a
// map view, a tileset record whose size is negative, and map ids that no map file can carry.
#include <fstream>
#include <string>
#include <vector>

#include "mapdata/map_loading.h"
#include "support/host_fixture.h"

namespace {

using farview::MapRecord;

// Map0001.lmu of a 2 x 1 map: lower ids 5001 and 5002, upper ids 10001 and 10002.
void writeSmallMapFile(const std::string &name = "Map0001.lmu") {
    const std::vector<uint8_t> bytes = {0x47, 0x04, 0x00, 0x89, 0x13, 0x8A, 0x13,
                                        0x48, 0x04, 0x00, 0x11, 0x27, 0x12, 0x27};
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

class MapReaderFaults : public farview_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        simhost::TilesetTables tables;
        tables.attributes.assign(162, 0x0101);
        tables.lowerFlags.assign(162, 7);
        tables.upperFlags.assign(144, 9);
        simhost::setTilesetRecord(simhost::makeTilesetRecord("Field", "field", tables));
        simhost::setMapSize(2, 1);
        simhost::hero().mapId = 1;
        writeSmallMapFile();
    }
    void TearDown() override { farview::bindHost(&simhost::hostInterface()); }

    void bindWith(const FvHostInterface &changed) {
        table = changed;
        farview::bindHost(&table);
    }

    farview_test::ScratchDirectory scratch;
    MapRecord record;
    FvHostInterface table{};
};

FvHostCharacter *const noHero = nullptr;
FvHostMapView *const noMapView = nullptr;

TEST_F(MapReaderFaults, TheWholeHostGivesTheFilesIdsAndTheRecordsTables) {
    farview::loadMap(record);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{5001, 5002}));
    EXPECT_EQ(record.upperTileGrid.cells, (std::vector<uint16_t>{10001, 10002}));
    EXPECT_EQ(record.attributeGrid.cells, (std::vector<uint16_t>{0x0101, 0x0101}));
    EXPECT_EQ(record.upperFlagGrid.cells, (std::vector<uint16_t>{9, 9}));
}

// Without a hero there is no map id, so no map file is named: the map keeps the host's size and
// every cell stays 0.
TEST_F(MapReaderFaults, WithoutAHeroNoMapFileIsReadAndEveryCellIsZero) {
    FvHostInterface changed = simhost::hostInterface();
    changed.hero = &noHero;
    bindWith(changed);
    farview::loadMap(record);
    EXPECT_EQ(record.width, 2);
    EXPECT_EQ(record.pixelWidth, 32);
    EXPECT_EQ(record.tilesetFileName, "field.png");
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(record.upperTileGrid.cells, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(record.attributeGrid.cells, (std::vector<uint16_t>{0, 0}));
}

// Without a map view there is no tileset record: it reads as a block of zeros, so the names are
// those of an empty name area and every table value is 0, while the layers are still read.
// No record to read: the names stay as they were, the per-tile tables read as zeros.
TEST_F(MapReaderFaults, WithoutAMapViewThereIsNoTilesetRecord) {
    FvHostInterface changed = simhost::hostInterface();
    changed.mapView = &noMapView;
    bindWith(changed);
    farview::loadMap(record);
    EXPECT_EQ(record.tilesetName, "");
    EXPECT_EQ(record.tilesetFileName, "0");
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{5001, 5002}));
    EXPECT_EQ(record.attributeGrid.cells, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(record.lowerFlagGrid.cells, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(record.upperFlagGrid.cells, (std::vector<uint16_t>{0, 0}));
}

TEST_F(MapReaderFaults, ATilesetRecordOfNegativeSizeIsNoRecord) {
    simhost::mapView().tilesetRecordSize = -1;
    farview::loadMap(record);
    EXPECT_EQ(record.tilesetFileName, "0");
    EXPECT_EQ(record.attributeGrid.cells, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(record.upperFlagGrid.cells, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{5001, 5002}));
}

// A negative map id keeps its sign in the name; no such file exists in a game, so nothing is read.
TEST_F(MapReaderFaults, NegativeMapIdsNameAFileThatIsNotThere) {
    EXPECT_EQ(farview::mapFileName(-1), "Map-001.lmu");
    EXPECT_EQ(farview::mapFileName(INT32_MIN), "Map-2147483648.lmu");
    simhost::hero().mapId = -1;
    farview::loadMap(record);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{0, 0}));
    writeSmallMapFile("Map-001.lmu");
    farview::loadMap(record);
    EXPECT_EQ(record.lowerTileGrid.cells, (std::vector<uint16_t>{5001, 5002}));
}

} // namespace
