// The map-file writer used by tests and tools: the host's layout, read back by the plug-in's reader.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "support/mapfile_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(MapFileWriter, LengthsAreBigEndianSevenBitGroups) {
    EXPECT_EQ(mapfile::encodeLength(0), (Bytes{0x00}));
    EXPECT_EQ(mapfile::encodeLength(127), (Bytes{0x7F}));
    EXPECT_EQ(mapfile::encodeLength(128), (Bytes{0x81, 0x00}));
    EXPECT_EQ(mapfile::encodeLength(600), (Bytes{0x84, 0x58}));
    EXPECT_EQ(mapfile::encodeLength(16383), (Bytes{0xFF, 0x7F}));
    EXPECT_EQ(mapfile::encodeLength(16384), (Bytes{0x81, 0x80, 0x00}));
    EXPECT_EQ(mapfile::encodeLength(8, 2), (Bytes{0x80, 0x08}));
    EXPECT_EQ(mapfile::encodeLength(600, 3), (Bytes{0x80, 0x84, 0x58}));
}

TEST(MapFileWriter, LayerLengthsTakeTwoGroupsUpTo8191CellsThenThree) {
    EXPECT_EQ(mapfile::layerLengthGroups(1), 2);
    EXPECT_EQ(mapfile::layerLengthGroups(8191), 2);
    EXPECT_EQ(mapfile::layerLengthGroups(8192), 3);
    EXPECT_EQ(mapfile::layerLengthGroups(1048575), 3);
    EXPECT_EQ(mapfile::layerLengthGroups(1048576), 4);
}

// The first 0x47 of the file is the lower section: nothing before it holds that byte.
TEST(MapFileWriter, FirstMarkerByteStartsTheLowerSection) {
    const mapfile::MapLayers layers{2, 1, {0x4711, 0x0102}, {0x2710, 0x0047}};
    const Bytes file = mapfile::encodeMapFile(layers);
    const auto marker = std::find(file.begin(), file.end(), uint8_t{0x47});
    ASSERT_NE(marker, file.end());
    const Bytes expected{0x47, 0x80, 0x04, 0x11, 0x47, 0x02, 0x01, 0x48, 0x80, 0x04, 0x10, 0x27, 0x47, 0x00};
    ASSERT_GE(size_t(file.end() - marker), expected.size());
    EXPECT_EQ(Bytes(marker, marker + ptrdiff_t(expected.size())), expected);
}

TEST(MapFileWriter, MissingIdsAreWrittenAsZero) {
    const mapfile::MapLayers layers{2, 2, {5}, {}};
    const Bytes file = mapfile::encodeMapFile(layers);
    const auto marker = std::find(file.begin(), file.end(), uint8_t{0x47});
    ASSERT_GE(file.end() - marker, 3 + 8 + 3 + 8);
    EXPECT_EQ(Bytes(marker + 3, marker + 11), (Bytes{5, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Bytes(marker + 14, marker + 22), Bytes(8, 0));
}

} // namespace
