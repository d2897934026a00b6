// The boundary texture: one cell of the map texture, cut on command; ignored without a map texture
// or outside the map.
#include <vector>

#include "support/host_fixture.h"
#include "texture/map_texture.h"
#include "texture/texture_scenes.h"

namespace {

class BoundaryTexture : public farview_test::HostTest {
protected:
    farview_test::ScratchDirectory scratch;
    farview::MapRecord record;
    FvHostImage *boundary = nullptr;

    void buildMap() {
        ASSERT_TRUE(farview_test::writeScatteredPng("ChipSet/Tiles.png", 480, 256, 21, 3));
        record.tilesetFileName = "Tiles.png";
        farview_test::setRandomMap(record, 5, 3, 8);
        farview::buildMapTexture(record);
        ASSERT_NE(record.mapTexture, nullptr);
    }

    std::vector<uint8_t> mapCell(int32_t column, int32_t row) const {
        std::vector<uint8_t> cell;
        for (int32_t i = 0; i < 16; ++i)
            for (int32_t j = 0; j < 16; ++j)
                cell.push_back(record.mapTexture->pixels[(16 * row + i) * record.mapTexture->width + 16 * column + j]);
        return cell;
    }
};

TEST_F(BoundaryTexture, CutsTheCellWithTheMapTexturesPalette) {
    buildMap();
    farview::setBoundaryTexture(boundary, record, 4, 2);
    ASSERT_NE(boundary, nullptr);
    EXPECT_EQ(boundary->width, 16);
    EXPECT_EQ(boundary->height, 16);
    EXPECT_EQ(farview_test::imagePixels(*boundary), mapCell(4, 2));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(boundary->palette[i], record.mapTexture->palette[i]);
        EXPECT_EQ(boundary->colors[i], simhost::rgb565(boundary->palette[i]));
    }
}

TEST_F(BoundaryTexture, IsReusedAndWhollyReplacedByTheNextCut) {
    buildMap();
    farview::setBoundaryTexture(boundary, record, 0, 0);
    FvHostImage *first = boundary;
    farview::setBoundaryTexture(boundary, record, 2, 1);
    EXPECT_EQ(boundary, first);
    EXPECT_EQ(simhost::liveImageCount(), 3);
    // Index-0 pixels of the new cell are 0, not what the previous cell left there.
    EXPECT_EQ(farview_test::imagePixels(*boundary), mapCell(2, 1));
}

TEST_F(BoundaryTexture, KeepsItsContentWhenTheMapTextureIsRebuilt) {
    buildMap();
    farview::setBoundaryTexture(boundary, record, 1, 1);
    const std::vector<uint8_t> cut = farview_test::imagePixels(*boundary);
    farview_test::setRandomMap(record, 5, 3, 9);
    farview::buildMapTexture(record);
    EXPECT_EQ(farview_test::imagePixels(*boundary), cut);
}

TEST_F(BoundaryTexture, IgnoredBeforeAnyMapTexture) {
    record.width = 5;
    record.height = 3;
    farview::setBoundaryTexture(boundary, record, 0, 0);
    EXPECT_EQ(boundary, nullptr);
    EXPECT_EQ(simhost::liveImageCount(), 0);
}

TEST_F(BoundaryTexture, IgnoredForCellsOutsideTheMap) {
    buildMap();
    for (auto cell : {std::pair<int32_t, int32_t>{-1, 0},
                      {0, -1},
                      {5, 0},
                      {0, 3},
                      {INT32_MAX, 0},
                      {0, INT32_MIN},
                      {INT32_MAX, INT32_MAX}}) {
        farview::setBoundaryTexture(boundary, record, cell.first, cell.second);
        EXPECT_EQ(boundary, nullptr);
    }
    farview::setBoundaryTexture(boundary, record, 2, 2);
    ASSERT_NE(boundary, nullptr);
    const std::vector<uint8_t> cut = farview_test::imagePixels(*boundary);
    farview::setBoundaryTexture(boundary, record, 7, 0);
    EXPECT_EQ(farview_test::imagePixels(*boundary), cut); // an ignored cut leaves the last one
}

TEST_F(BoundaryTexture, IgnoredWhenTheMapTextureIsSmallerThanTheRecordSays) {
    buildMap();
    record.width = 50; // the texture still holds the 5 x 3 map
    record.height = 30;
    farview::setBoundaryTexture(boundary, record, 10, 10);
    EXPECT_EQ(boundary, nullptr);
}

} // namespace
