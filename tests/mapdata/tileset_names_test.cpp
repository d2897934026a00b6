// The tileset record's name area: where the strings and the marker stand, the check byte, and
// records that end early.
#include <string>
#include <vector>

#include "mapdata/map_loading.h"
#include "support/host_fixture.h"

namespace {

using farview::MapRecord;
using farview::resolveTilesetNames;

constexpr const char *kSlotMessage = "There was an error with retrieving the graphics from this slot.\n"
                                     "Please rename the tilset, or use a different tileset index";

class TilesetNames : public farview_test::HostTest {
protected:
    std::vector<uint8_t> block = std::vector<uint8_t>(1200, 0);
    MapRecord record;

    void put(size_t offset, const std::string &text) {
        for (size_t i = 0; i < text.size(); ++i) block[offset + i] = static_cast<uint8_t>(text[i]);
    }
    void resolve() {
        simhost::setTilesetRecord(block);
        resolveTilesetNames(record);
    }
};

// ---- Two strings: the tileset's name, then the graphic's file name -------------------------------

TEST_F(TilesetNames, TwoStringsGiveTheNameAndTheGraphicsFileName) {
    block[664] = 5;
    put(668, "Grass");
    block[676] = 7; // the marker of L = 5, neither 150 nor 38
    block[684] = 6;
    put(688, "Meadow");
    resolve();
    EXPECT_EQ(record.tilesetName, "Grass");
    EXPECT_EQ(record.tilesetFileName, "Meadow.png");
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(TilesetNames, SecondStringOfLengthZeroGivesJustTheExtension) {
    block[664] = 2;
    put(668, "Ab");
    resolve();
    EXPECT_EQ(record.tilesetName, "Ab");
    EXPECT_EQ(record.tilesetFileName, ".png");
}

// ---- The marker: the first multiple of four past the first string and its zero byte -----------

struct MarkerCase {
    int length;
    size_t markerOffset;
};

class MarkerOffset : public TilesetNames, public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(MarkerOffset, SingleStringMarkerIsReadAtItsOffset) {
    const MarkerCase c = GetParam();
    block[664] = static_cast<uint8_t>(c.length);
    put(668, std::string("Dungeons").substr(0, size_t(c.length)));
    block[c.markerOffset] = 150;
    resolve();
    EXPECT_EQ(record.tilesetName, "unknown");
    EXPECT_EQ(record.tilesetFileName, std::string("Dungeons").substr(0, size_t(c.length)) + ".png");
}

TEST_P(MarkerOffset, SecondStringFollowsTheMarkerByEightAndTwelveBytes) {
    const MarkerCase c = GetParam();
    block[664] = static_cast<uint8_t>(c.length);
    put(668, std::string("Dungeons").substr(0, size_t(c.length)));
    block[c.markerOffset] = 1;
    block[c.markerOffset + 8] = 3;
    put(c.markerOffset + 12, "Cav");
    // A marker value one step further on must not be the one read.
    block[c.markerOffset + 4] = 150;
    resolve();
    EXPECT_EQ(record.tilesetName, std::string("Dungeons").substr(0, size_t(c.length)));
    EXPECT_EQ(record.tilesetFileName, "Cav.png");
}

INSTANTIATE_TEST_SUITE_P(FirstStringLengths, MarkerOffset,
                         ::testing::Values(MarkerCase{0, 672}, MarkerCase{3, 672}, MarkerCase{4, 676},
                                           MarkerCase{5, 676}, MarkerCase{7, 676}, MarkerCase{8, 680}));

TEST_F(TilesetNames, MarkerThirtyEightAlsoMeansASingleString) {
    block[664] = 4;
    put(668, "Town");
    block[676] = 38;
    resolve();
    EXPECT_EQ(record.tilesetName, "unknown");
    EXPECT_EQ(record.tilesetFileName, "Town.png");
}

TEST_F(TilesetNames, StandInHostRecordsResolveBothWays) {
    simhost::setTilesetRecord(simhost::makeTilesetRecord("Castle", "castle_tiles"));
    resolveTilesetNames(record);
    EXPECT_EQ(record.tilesetName, "Castle");
    EXPECT_EQ(record.tilesetFileName, "castle_tiles.png");

    simhost::setTilesetRecord(simhost::makeTilesetRecord("", "Basic"));
    resolveTilesetNames(record);
    EXPECT_EQ(record.tilesetName, "unknown");
    EXPECT_EQ(record.tilesetFileName, "Basic.png");
}

// ---- The check byte ------------------------------------------------------------------------------

TEST_F(TilesetNames, CheckByteOfOneHundredIsAccepted) {
    block[660] = 100;
    block[664] = 1;
    put(668, "A");
    block[672] = 150;
    resolve();
    EXPECT_EQ(record.tilesetFileName, "A.png");
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(TilesetNames, CheckByteAboveOneHundredShowsTheMessageAndKeepsTheNames) {
    record.tilesetName = "Earlier";
    record.tilesetFileName = "earlier.png";
    for (uint8_t check : {uint8_t{101}, uint8_t{255}}) {
        simhost::clearMessages();
        block[660] = check;
        block[664] = 1;
        put(668, "B");
        block[672] = 150;
        resolve();
        EXPECT_EQ(record.tilesetName, "Earlier");
        EXPECT_EQ(record.tilesetFileName, "earlier.png");
        ASSERT_EQ(simhost::messages().size(), 1u);
        EXPECT_EQ(simhost::messages()[0], kSlotMessage);
        EXPECT_EQ(simhost::messageCaptions()[0], "Farview");
    }
}

TEST_F(TilesetNames, RefusedBeforeAnyResolutionLeavesTheFileNameZero) {
    block[660] = 101;
    resolve();
    EXPECT_EQ(record.tilesetFileName, "0");
    EXPECT_EQ(record.tilesetName, "");
}

// ---- Records that end early ------------------------------------------------------------------------

TEST_F(TilesetNames, LongestNamesReadNoFurtherThanByte1190) {
    block.assign(1191, 'x'); // exactly the bytes two strings of 255 can reach
    block[660] = 0;
    block[664] = 255;
    block[672 + 252] = 0;
    block[680 + 252] = 255;
    resolve();
    EXPECT_EQ(record.tilesetName, std::string(255, 'x'));
    EXPECT_EQ(record.tilesetFileName, std::string(255, 'x') + ".png");
}

TEST_F(TilesetNames, BytesBeyondAShortRecordReadAsZero) {
    block.assign(670, 0);
    block[664] = 4;
    block[668] = 'a';
    block[669] = 'b'; // the record ends here: the rest of the name and the marker read as 0
    resolve();
    EXPECT_EQ(record.tilesetName, std::string("ab\0\0", 4));
    EXPECT_EQ(record.tilesetFileName, ".png");
}

// A host without a record has no map open: there is nothing to resolve and nothing to report here
// (the texture builder refuses), and a record too short to hold the check byte is none.
TEST_F(TilesetNames, AMissingRecordLeavesTheNamesAsTheyWere) {
    record.tilesetName = "Earlier";
    record.tilesetFileName = "earlier.png";
    simhost::setTilesetRecord({});
    resolveTilesetNames(record);
    simhost::setTilesetRecord(std::vector<uint8_t>(660, 0));
    resolveTilesetNames(record);
    EXPECT_EQ(record.tilesetName, "Earlier");
    EXPECT_EQ(record.tilesetFileName, "earlier.png");
    EXPECT_TRUE(simhost::messages().empty());
    simhost::setTilesetRecord(std::vector<uint8_t>(661, 0)); // the check byte 0: usable
    resolveTilesetNames(record);
    EXPECT_EQ(record.tilesetFileName, ".png");
}

TEST(TilesetRecordView, ReadsLittleEndianWithinTheBlockAndZeroBeyond) {
    const uint8_t bytes[] = {0x34, 0x12, 0xFF};
    const farview::TilesetRecordView view{bytes, 3};
    EXPECT_EQ(view.wordAt(0), 0x1234);
    EXPECT_EQ(view.wordAt(2), 0x00FF); // the high byte lies beyond the block
    EXPECT_EQ(view.byteAt(3), 0);
    EXPECT_EQ(view.byteAt(-1), 0);
    EXPECT_EQ(view.wordAt(INT32_MAX), 0);
    EXPECT_EQ(view.textAt(INT32_MAX - 1, 5), std::string(5, '\0'));
}

} // namespace
