// Building the whole map texture: the refusal before a map is loaded, sizing and palette, images
// reused, and pixels identical to the plain cell-by-cell build on random maps and odd tilesets.
#include <vector>

#include "support/host_fixture.h"
#include "texture/map_texture.h"
#include "texture/pixel_compare.h"
#include "texture/reference_texture.h"
#include "texture/texture_scenes.h"

namespace {

using farview_test::imagePixels;
using farview_test::setRandomMap;

constexpr const char *kNotLoadedMessage =
    "There was an error while trying to load map texture.\nPlease load the map first";

class MapTexture : public farview_test::HostTest {
protected:
    farview_test::ScratchDirectory scratch;
    farview::MapRecord record;

    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(farview_test::writeScatteredPng("ChipSet/Tiles.png", 480, 256, 11, 4));
        record.tilesetFileName = "Tiles.png";
    }

    void setCells(int32_t width, int32_t height, const std::vector<uint16_t> &lower,
                  const std::vector<uint16_t> &upper) {
        setRandomMap(record, width, height, 0);
        record.lowerTileGrid.cells = lower;
        record.upperTileGrid.cells = upper;
    }

    // Builds with the plain reference, then with the builder, on the same record and images.
    void expectSameAsReference() {
        farview_test::buildMapTextureReference(record);
        const std::vector<uint8_t> expected = imagePixels(*record.mapTexture);
        const FvHostImage *texture = record.mapTexture;
        farview::buildMapTexture(record);
        ASSERT_EQ(record.mapTexture, texture);
        EXPECT_EQ(record.mapTexture->width, record.width * 16);
        EXPECT_EQ(record.mapTexture->height, record.height * 16);
        EXPECT_TRUE(farview_test::samePixels(imagePixels(*record.mapTexture), expected, record.mapTexture->width));
    }
};

// ---- Before a map is loaded ---------------------------------------------------------------------

TEST_F(MapTexture, RefusesWithItsMessageWhileNoTilesetNameIsResolved) {
    record.tilesetFileName = "0";
    setRandomMap(record, 3, 3, 1);
    farview::buildMapTexture(record);
    ASSERT_EQ(simhost::messages().size(), 1u);
    EXPECT_EQ(simhost::messages()[0], kNotLoadedMessage);
    EXPECT_EQ(simhost::messageCaptions()[0], "Farview");
    EXPECT_EQ(record.mapTexture, nullptr);
    EXPECT_EQ(record.tilesetImage, nullptr);
    EXPECT_EQ(simhost::liveImageCount(), 0);
}

// ---- Size, palette, reuse ------------------------------------------------------------------------

TEST_F(MapTexture, SizedFromTheMapWithTheTilesetsPalette) {
    setRandomMap(record, 7, 5, 2);
    farview::buildMapTexture(record);
    ASSERT_NE(record.mapTexture, nullptr);
    ASSERT_NE(record.tilesetImage, nullptr);
    const FvHostImage &texture = *record.mapTexture;
    EXPECT_EQ(texture.width, 112);
    EXPECT_EQ(texture.height, 80);
    EXPECT_EQ(texture.option, 1);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(texture.palette[i], record.tilesetImage->palette[i]);
        EXPECT_EQ(texture.colors[i], simhost::rgb565(texture.palette[i]));
    }
    EXPECT_TRUE(simhost::messages().empty());
}

TEST_F(MapTexture, SecondBuildReusesBothImagesAndCopiesTheNewPalette) {
    setRandomMap(record, 6, 4, 3);
    farview::buildMapTexture(record);
    const FvHostImage *texture = record.mapTexture, *tileset = record.tilesetImage;

    ASSERT_TRUE(farview_test::writeScatteredPng("ChipSet/Other.png", 480, 256, 12, 4));
    record.tilesetFileName = "Other.png";
    setRandomMap(record, 9, 2, 4);
    farview::buildMapTexture(record);
    EXPECT_EQ(record.mapTexture, texture);
    EXPECT_EQ(record.tilesetImage, tileset);
    EXPECT_EQ(simhost::liveImageCount(), 2);
    EXPECT_EQ(record.mapTexture->width, 144);
    EXPECT_EQ(record.mapTexture->palette[200], record.tilesetImage->palette[200]);
    EXPECT_EQ(record.mapTexture->colors[200], simhost::rgb565(record.tilesetImage->palette[200]));
    expectSameAsReference();
}

// ---- The upper layer over the lower -----------------------------------------------------------------

TEST_F(MapTexture, UpperIndexZeroLetsTheLowerTileShow) {
    setCells(1, 1, {5000}, {10000});
    farview::buildMapTexture(record);
    const FvHostImage &tileset = *record.tilesetImage;
    int transparent = 0;
    for (int32_t i = 0; i < 16; ++i)
        for (int32_t j = 0; j < 16; ++j) {
            const uint8_t upper = tileset.pixels[(128 + i) * 480 + 288 + j];
            const uint8_t lower = tileset.pixels[i * 480 + 192 + j];
            transparent += upper == 0;
            EXPECT_EQ(record.mapTexture->pixels[i * 16 + j], upper != 0 ? upper : lower);
        }
    EXPECT_GT(transparent, 0);
}

// Cell (column, row) of the texture against the tileset cell at (sourceX, sourceY).
::testing::AssertionResult cellShowsTilesetCell(const FvHostImage &texture, int32_t column, int32_t row,
                                                const FvHostImage &tileset, int32_t sourceX, int32_t sourceY) {
    for (int32_t i = 0; i < 16; ++i)
        for (int32_t j = 0; j < 16; ++j) {
            const uint8_t shown = texture.pixels[(16 * row + i) * texture.width + 16 * column + j];
            const uint8_t source = tileset.pixels[(sourceY + i) * tileset.width + sourceX + j];
            if (shown != source)
                return ::testing::AssertionFailure()
                       << "pixel (" << j << ", " << i << ") is " << int(shown) << ", the tileset has " << int(source);
        }
    return ::testing::AssertionSuccess();
}

TEST_F(MapTexture, PlainLowerAndUpperTilesAtTheRangeEdges) {
    // Upper ids without a cell over the lower tiles; the lower id without a cell under the upper ones.
    setCells(4, 2, {5000, 5095, 5096, 5287, 5288, 5288, 5288, 5288},
             {0, 9951, 10144, 65535, 9952, 10000, 10047, 10143});
    farview::buildMapTexture(record);
    const FvHostImage &texture = *record.mapTexture, &tileset = *record.tilesetImage;
    EXPECT_TRUE(cellShowsTilesetCell(texture, 0, 0, tileset, 192, 0));
    EXPECT_TRUE(cellShowsTilesetCell(texture, 1, 0, tileset, 272, 240));
    EXPECT_TRUE(cellShowsTilesetCell(texture, 2, 0, tileset, 288, 0));
    EXPECT_TRUE(cellShowsTilesetCell(texture, 3, 0, tileset, 464, 240));
    EXPECT_TRUE(cellShowsTilesetCell(texture, 0, 1, tileset, 288, 0));
    EXPECT_TRUE(cellShowsTilesetCell(texture, 1, 1, tileset, 288, 128));
    EXPECT_TRUE(cellShowsTilesetCell(texture, 2, 1, tileset, 368, 240));
    EXPECT_TRUE(cellShowsTilesetCell(texture, 3, 1, tileset, 464, 240));
}

TEST_F(MapTexture, TilesWithoutACellDrawNothing) {
    setCells(3, 1, {5288, 5000, 65535}, {9951, 10144, 0});
    farview::buildMapTexture(record);
    const FvHostImage &tileset = *record.tilesetImage;
    for (int32_t i = 0; i < 16; ++i)
        for (int32_t j = 0; j < 16; ++j) {
            EXPECT_EQ(record.mapTexture->pixels[i * 48 + j], 0);
            EXPECT_EQ(record.mapTexture->pixels[i * 48 + 16 + j], tileset.pixels[i * 480 + 192 + j]);
            EXPECT_EQ(record.mapTexture->pixels[i * 48 + 32 + j], 0);
        }
}

// ---- The builder against the plain build ------------------------------------------------------------

TEST_F(MapTexture, SameAsThePlainBuildOnRandomMaps) {
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {3, 7}, {40, 30}, {17, 1}, {1, 23}, {64, 64}};
    uint64_t seed = 100;
    for (const auto &size : sizes) {
        SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second));
        setRandomMap(record, size.first, size.second, seed++);
        expectSameAsReference();
    }
}

TEST_F(MapTexture, SameAsThePlainBuildWithTilesetsOfOtherSizes) {
    const std::pair<int32_t, int32_t> sizes[] = {{200, 100}, {480, 250}, {600, 300}, {16, 16}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second));
        ASSERT_TRUE(farview_test::writeScatteredPng("ChipSet/Odd.png", size.first, size.second, 5, 6));
        record.tilesetFileName = "Odd.png";
        setRandomMap(record, 30, 20, 77);
        expectSameAsReference();
    }
}

TEST_F(MapTexture, MissingTilesetGraphicGivesAnEmptyTexture) {
    record.tilesetFileName = "Absent.png";
    setRandomMap(record, 5, 5, 9);
    farview::buildMapTexture(record);
    EXPECT_EQ(imagePixels(*record.mapTexture), std::vector<uint8_t>(80 * 80, 0));
    expectSameAsReference();
}

// ---- Sizes and grids the builder cannot draw ---------------------------------------------------------

TEST_F(MapTexture, MapWithoutCellsGivesATextureWithoutPixels) {
    setRandomMap(record, 0, 4, 1);
    farview::buildMapTexture(record);
    ASSERT_NE(record.mapTexture, nullptr);
    EXPECT_EQ(record.mapTexture->width, 0);
    EXPECT_EQ(record.mapTexture->height, 64);
}

TEST_F(MapTexture, SizesTheRecordCannotHoldGiveAnEmptyTexture) {
    for (auto size : {std::pair<int32_t, int32_t>{-3, 4}, {4, -3}, {134217728, 1}, {65536, 65536}}) {
        setRandomMap(record, 2, 2, 1);
        record.width = size.first;
        record.height = size.second;
        farview::buildMapTexture(record);
        ASSERT_NE(record.mapTexture, nullptr);
        EXPECT_EQ(record.mapTexture->width, 0);
        EXPECT_EQ(record.mapTexture->height, 0);
    }
}

TEST_F(MapTexture, GridsThatDoNotHoldTheMapGiveABlankTexture) {
    setRandomMap(record, 4, 4, 1);
    record.upperTileGrid.cells.resize(15);
    farview::buildMapTexture(record);
    EXPECT_EQ(imagePixels(*record.mapTexture), std::vector<uint8_t>(64 * 64, 0));

    setRandomMap(record, 4, 4, 1);
    record.lowerTileGrid.rowLength = 3;
    farview::buildMapTexture(record);
    EXPECT_EQ(imagePixels(*record.mapTexture), std::vector<uint8_t>(64 * 64, 0));
}

} // namespace
