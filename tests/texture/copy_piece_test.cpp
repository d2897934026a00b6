// The piece copy with index-0 transparency, and where plain lower and upper tiles sit in the tileset.
#include <vector>

#include "support/host_fixture.h"
#include "texture/map_texture.h"
#include "texture/texture_scenes.h"

namespace {

using farview::CellPosition;

// ---- copyPiece ---------------------------------------------------------------------------------

class CopyPiece : public farview_test::HostTest {
protected:
    FvHostImage *target = nullptr;
    FvHostImage *source = nullptr;

    void SetUp() override {
        HostTest::SetUp();
        target = simhost::createImage();
        simhost::setImageSize(target, 8, 6);
        std::fill_n(target->pixels, 48, uint8_t{9});
        source = simhost::createImage();
        simhost::setImageSize(source, 5, 4);
        for (int i = 0; i < 20; ++i) source->pixels[i] = static_cast<uint8_t>(i % 7 == 0 ? 0 : 100 + i);
    }
    std::vector<uint8_t> targetPixels() const { return farview_test::imagePixels(*target); }
};

TEST_F(CopyPiece, CopiesTheRectangleAndSkipsIndexZero) {
    farview::copyPiece(*target, 3, 2, *source, 1, 1, 4, 3);
    std::vector<uint8_t> expected(48, 9);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            const int from = (1 + i) * 5 + 1 + j;
            if (from % 7 != 0) expected[size_t((2 + i) * 8 + 3 + j)] = static_cast<uint8_t>(100 + from);
        }
    EXPECT_EQ(targetPixels(), expected);
}

TEST_F(CopyPiece, RectanglesReachingTheEdgesAreCopied) {
    farview::copyPiece(*target, 3, 2, *source, 0, 0, 5, 4);
    EXPECT_EQ(target->pixels[47], 100 + 19);
    farview::copyPiece(*target, 0, 0, *source, 0, 0, 0, 0); // empty: nothing happens
    EXPECT_EQ(target->pixels[0], 9);
}

TEST_F(CopyPiece, RectanglesNotWhollyInsideCopyNothing) {
    const std::vector<uint8_t> untouched(48, 9);
    const int32_t cases[][6] = {
        {4, 0, 0, 0, 5, 4},         // target runs past the right edge
        {0, 3, 0, 0, 5, 4},         // target runs past the bottom
        {-1, 0, 0, 0, 2, 2},        // target starts left of the image
        {0, 0, 1, 0, 5, 1},         // source runs past its right edge
        {0, 0, 0, -1, 1, 1},        // source starts above the image
        {0, 0, 0, 0, -3, 2},        // negative size
        {INT32_MAX, 0, 0, 0, 2, 2}, // positions whose sums would overflow
        {0, 0, 0, INT32_MAX, 2, 2}, {0, 0, 0, 0, INT32_MAX, INT32_MAX},
    };
    for (const auto &c : cases) {
        farview::copyPiece(*target, c[0], c[1], *source, c[2], c[3], c[4], c[5]);
        EXPECT_EQ(targetPixels(), untouched);
    }
}

TEST_F(CopyPiece, ImagesWithoutPixelsCopyNothing) {
    simhost::setImageSize(source, 0, 0);
    farview::copyPiece(*target, 0, 0, *source, 0, 0, 1, 1);
    EXPECT_EQ(targetPixels(), std::vector<uint8_t>(48, 9));
    FvHostImage lying{}; // claims a size but holds no pixels
    lying.width = 16;
    lying.height = 16;
    farview::copyPiece(lying, 0, 0, *target, 0, 0, 4, 4);
    farview::copyPiece(*target, 0, 0, lying, 0, 0, 4, 4);
    EXPECT_EQ(targetPixels(), std::vector<uint8_t>(48, 9));
}

// ---- Plain lower and upper tiles in the tileset ------------------------------------------------------

void expectCell(bool (*source)(uint16_t, CellPosition &), uint16_t id, int32_t x, int32_t y) {
    CellPosition cell;
    ASSERT_TRUE(source(id, cell)) << id;
    EXPECT_EQ(cell.x, x) << id;
    EXPECT_EQ(cell.y, y) << id;
}

TEST(TileLayout, PlainLowerTilesAtTheRangeEdges) {
    expectCell(farview::plainLowerTileSource, 5000, 192, 0);
    expectCell(farview::plainLowerTileSource, 5005, 272, 0);
    expectCell(farview::plainLowerTileSource, 5006, 192, 16);
    expectCell(farview::plainLowerTileSource, 5095, 272, 240);
    expectCell(farview::plainLowerTileSource, 5096, 288, 0);
    expectCell(farview::plainLowerTileSource, 5143, 368, 112);
    expectCell(farview::plainLowerTileSource, 5287, 464, 240); // the last cell of the image
}

TEST(TileLayout, UpperTilesAtTheRangeEdges) {
    expectCell(farview::upperTileSource, 10000, 288, 128);
    expectCell(farview::upperTileSource, 10047, 368, 240);
    expectCell(farview::upperTileSource, 10048, 384, 0);
    expectCell(farview::upperTileSource, 10143, 464, 240);
    expectCell(farview::upperTileSource, 9952, 288, 0); // below 10000 the layout still has cells
}

TEST(TileLayout, IdsBeyondTheImageHaveNoCell) {
    CellPosition cell{-7, -7};
    for (uint16_t id : std::initializer_list<uint16_t>{5288, 5300, 9000, 65535})
        EXPECT_FALSE(farview::plainLowerTileSource(id, cell)) << id;
    for (uint16_t id : std::initializer_list<uint16_t>{0, 4999, 9951, 10144, 65535})
        EXPECT_FALSE(farview::upperTileSource(id, cell)) << id;
    EXPECT_EQ(cell.x, -7); // untouched
}

// The texture builder keeps block numbers only for these ranges: an id with a cell outside them
// would be drawn empty.
TEST(TileLayout, TheIdRangesWithCellsHoldEveryIdThatHasOne) {
    CellPosition cell;
    for (uint32_t id = 0; id <= 65535; ++id) {
        const auto tile = static_cast<uint16_t>(id);
        EXPECT_EQ(farview::plainLowerTileSource(tile, cell), id >= 5000 && id < farview::kLowerTileIdEnd) << id;
        EXPECT_EQ(farview::upperTileSource(tile, cell),
                  id >= farview::kUpperTileIdFirst && id < farview::kUpperTileIdEnd)
            << id;
    }
}

} // namespace
